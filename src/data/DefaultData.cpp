#include "data/DefaultData.h"

#include "common/PublicDecs.h"
#include "data/DataFile.h"
#include "data/EmbeddedFiles.h"

namespace harkola {
namespace {

Notice writeDefault(const std::filesystem::path& folder, const char* fileName,
                    std::string_view bytes, const char* writtenText) {
  const std::filesystem::path path = folder / fileName;
  if (bytes.empty() || !writeWholeFile(path, bytes)) {
    return Notice{"The default file " + path.string() + " could not be written.", kAppTitle,
                  NoticeIcon::Critical, NoticeButtons::Ok};
  }
  return Notice{writtenText, kAppTitle, NoticeIcon::Information, NoticeButtons::OkCancel};
}

}  // namespace

std::string_view defaultBeaconData() { return embeddedFile("BeaconData.dat"); }
std::string_view defaultHomeData() { return embeddedFile("HomeData.dat"); }
std::string_view defaultChartSample() { return embeddedFile("Chart Sample.csv"); }

std::string_view defaultRigData(int makerCode) {
  switch (makerCode) {
    case kRigKenwood: return embeddedFile("RigData-Kenwood.dat");
    case kRigIcom: return embeddedFile("RigData-Icom.dat");
    case kRigYaesu: return embeddedFile("RigData-Yaesu.dat");
    default: return {};
  }
}

Notice writeDefaultBeaconData(const std::filesystem::path& folder) {
  return writeDefault(folder, kBeaconDataFile, defaultBeaconData(),
                      "Default beacon data written to file");
}

Notice writeDefaultHomeData(const std::filesystem::path& folder) {
  return writeDefault(folder, kHomeDataFile, defaultHomeData(),
                      "Default home data written to file");
}

Notice WriteDefaultRigData(const std::filesystem::path& folder, int makerCode) {
  return writeDefault(folder, kRigDataFile, defaultRigData(makerCode),
                      "Default rig control data written to file");
}

Notice writeChartSample(const std::filesystem::path& folder) {
  return writeDefault(folder, kChartSampleFile, defaultChartSample(),
                      "Chart sample data written to file");
}

}  // namespace harkola
