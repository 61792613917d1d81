#pragma once
// State shared by the whole program. One instance is made at start-up and handed by
// reference to the clock, the windows and the device adapters; there is one thread,
// so no member is guarded.
//
// Numbering: beacons 1..18 in the order of BeaconData.dat; per-beacon arrays are
// indexed by number - 1, except BeaconTable and DistAzTable whose row is the number.
// Bands 0..4 = 14, 18, 21, 24, 28 MHz.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/AnalyserSettings.h"
#include "common/Bands.h"

namespace harkola {

constexpr int kBeaconCount = 18;
constexpr int kBeaconFieldCount = 15;
constexpr int kHomeFieldCount = 9;
constexpr int kRigRowCount = 22;

// Rows 0..18 x columns 0..15 of text; row 0 and column 0 stay empty.
using BeaconGrid = std::array<std::array<std::string, kBeaconFieldCount + 1>, kBeaconCount + 1>;

struct DistAz {
  long distance = 0;  // whole units of the home's distance unit
  int azimuth = 0;    // whole degrees 0..359, clockwise from true north
};
// Rows 0..18; row 0 stays empty.
using DistAzGrid = std::array<DistAz, kBeaconCount + 1>;

// Rows 0..21 x column 0 (label) and 1 (value or command code).
using RigGrid = std::array<std::array<std::string, 2>, kRigRowCount>;

// The home record: fields 1..9 (index 0 unused).
struct HomeRecord {
  std::array<std::string, kHomeFieldCount + 1> fields;
  const std::string& name() const { return fields[1]; }
  // Distances are in miles when field 8 is exactly "Miles", else in kilometres.
  bool miles() const { return fields[8] == "Miles"; }
  // The unit as the main window and the command line have always written it: "m" or "Km".
  std::string unitText() const { return miles() ? "m" : "Km"; }
  // The unit as newer windows write it, unmistakable for metres: "mi" or "km".
  std::string unitSymbol() const { return miles() ? "mi" : "km"; }
};

enum RigMaker : int { kRigKenwood = 121, kRigIcom = 122, kRigYaesu = 123 };

struct PublicDecs {
  bool ClockRunning = false;
  BeaconGrid BeaconTable{};
  DistAzGrid DistAzTable{};
  HomeRecord Home{};
  std::array<bool, kBeaconCount> VoiceSelected{};

  // Per-slot logging state, reset by every new slot.
  bool SlotLogged = false;
  long MorseHits = 0;
  float MorsePeakSum = 0.0f;

  // Analyser settings (from its sliders; fixed defaults at every run).
  int MorseThreshold = kMorseThreshold.start;
  int NoiseFilter = kNoiseFilter.start;  // the classic detector's threshold factor x2
  int SMeterOffset = kSMeterOffset.start;
  std::int16_t ListenSeconds = kListenSeconds.start;

  bool AnalyserRunning = false;
  bool AnalyserClosed = false;

  bool FollowMode = false;
  std::int16_t FollowedBeacon = 0;  // beacon number modulo 18 (beacon 18 stored as 0)

  RigGrid RigTable{};
  int RigMakerCode = 0;
  bool RigTested = false;
  bool RigStartPending = false;
  bool RigPortError = false;
  bool HexCodeValid = false;
  std::int16_t RigBandRow = 15;

  std::string TitleText = "Harkola 5 ";
  std::string DataFolder;
  std::string LogFolder;
  std::string LogFilePath;
};

// The application title used for message boxes that have no title of their own.
inline constexpr const char* kAppTitle = "Harkola";

// The program's name and version as window captions show it: the title text without its
// trailing blanks ("Harkola 5 " gives "Harkola 5"), so every caption follows the version.
inline std::string titleName(std::string_view titleText) {
  const std::size_t end = titleText.find_last_not_of(' ');
  return std::string(titleText.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

}  // namespace harkola
