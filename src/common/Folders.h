#pragma once
// Where the program keeps its files.

#include <string>

namespace harkola {

// The log folder: $HARKOLA_LOG_FOLDER when set and not empty, else "$HOME/Harkola Log"
// ("c:\Harkola Log" on Windows).
std::string defaultLogFolder();

// "<TitleText>Heard Log.csv" inside the log folder.
std::string heardLogPath(const std::string& logFolder, const std::string& titleText);

}  // namespace harkola
