#pragma once
// What a file dialog checks before it lets a chosen name go, from the request's flags: the
// folder must exist, the file must exist, only the default extension. An empty answer
// means the name may be used.

#include <string>

#include "common/Notice.h"

namespace harkola {

std::string fileChoiceProblem(const FileDialogRequest& request, const std::string& path);

}  // namespace harkola
