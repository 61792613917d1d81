#include "common/FileChoice.h"

#include <filesystem>

namespace harkola {

std::string fileChoiceProblem(const FileDialogRequest& r, const std::string& path) {
  namespace fs = std::filesystem;
  if (path.empty()) return {};  // an empty answer is the caller's to refuse
  const fs::path p(path);
  std::error_code ec;
  const fs::path folder = p.has_parent_path() ? p.parent_path() : fs::path(".");
  if ((r.pathMustExist || r.fileMustExist) && !fs::is_directory(folder, ec))
    return "The folder " + folder.string() + " does not exist.";
  if (r.fileMustExist && !fs::is_regular_file(p, ec)) return "The file " + p.string() + " does not exist.";
  if (!r.extensionDifferent && !r.defaultExtension.empty() && p.has_extension() &&
      p.extension().string() != "." + r.defaultExtension)
    return "The file name must end in ." + r.defaultExtension + ".";
  return {};
}

}  // namespace harkola
