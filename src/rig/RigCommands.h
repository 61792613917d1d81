#pragma once
// How rig command codes become bytes on the serial line, apart from any port: the
// line-settings text, the flow-control choice, the hexadecimal code check and the rows
// each command sequence sends. Everything here is pure and cheap to test.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/PublicDecs.h"

namespace harkola {

// Rig table rows (RigTable row index).
inline constexpr int kRigRowPort = 0;
inline constexpr int kRigRowBaud = 1;
inline constexpr int kRigRowParity = 2;
inline constexpr int kRigRowData = 3;
inline constexpr int kRigRowStop = 4;
inline constexpr int kRigRowHandshake = 5;
inline constexpr int kRigRowMaker = 6;
inline constexpr int kRigRowFirstCommand = 7;   // rows 7..20 hold command codes
inline constexpr int kRigRowFirstBand = 15;     // rows 15..19: 14..28 MHz
inline constexpr int kRigRowEndFreq = 20;
inline constexpr int kRigRowTested = 21;

// Flow control by the number the rig file's "H'shake" row stands for.
enum class FlowControl { None = 0, XonXoff = 1, Rts = 2, RtsXonXoff = 3 };

// "None" -> None, "Xon/Xoff" -> XonXoff, "RTS" -> Rts, "RTSXOnXOff" -> RtsXonXoff;
// exact comparison, anything else nullopt (the caller keeps the previous setting).
std::optional<FlowControl> flowControlFor(std::string_view handshake);

// The RTS line is raised only for the two RTS kinds: a raised RTS keys the
// transmitter of some rigs, so it is left alone otherwise.
inline bool assertsRts(FlowControl f) { return f == FlowControl::Rts || f == FlowControl::RtsXonXoff; }

// "speed,P,data,stop" from rows 1..4, P being the first letter of the parity row:
// "9600,N,8,1". An empty parity row gives an empty letter.
std::string lineSettingsText(const RigGrid& table);

// Parsed serial settings. valid is false when a number or the parity letter cannot be
// used; `problem` then says which.
struct LineSettings {
  int baud = 0;
  char parity = 'N';  // N, O, E, M or S
  int dataBits = 8;   // 5..8
  int stopBits = 1;   // 1 or 2
  bool valid = false;
  std::string problem;
};
LineSettings parseLineSettings(std::string_view text);

// 121 Kenwood, 122 Icom, 123 Yaesu from the maker names (exact); 0 for anything else.
int makerCodeFor(std::string_view makerName);
// "Kenwood", "Icom", "Yaesu"; empty for any other code.
std::string makerNameFor(int makerCode);
// Icom and Yaesu codes are hexadecimal pairs; Kenwood codes are text.
inline bool makerUsesHex(int makerCode) { return makerCode == kRigIcom || makerCode == kRigYaesu; }
inline bool makerKnown(int makerCode) { return makerCode == kRigKenwood || makerUsesHex(makerCode); }

// The check of a hexadecimal code typed by the user. An empty code is not valid but
// carries no fault text; otherwise `fault` names the first problem.
struct HexCheck {
  bool valid = false;
  std::string fault;
};
HexCheck checkHexCode(std::string_view code);

// The bytes of a hexadecimal code, one per whole pair; a trailing odd digit is
// dropped. nullopt when a whole pair is not hexadecimal.
std::optional<std::vector<std::uint8_t>> hexCodeBytes(std::string_view code);

// One command as it goes to the port. A text command is one write; a hexadecimal
// command is written one byte per write (RigCtrl reopens the port before it).
struct EncodedCommand {
  std::vector<std::string> writes;  // each element is one write, in order
  std::string fault;                // set when the stored code is not valid hexadecimal:
                                    // nothing of it is sent
  std::string bytes() const;        // all writes joined
};

// The command of one stored code for the maker; nullopt when nothing is to be sent
// (empty code, or a maker code other than 121..123).
std::optional<EncodedCommand> encodeCommand(int makerCode, std::string_view code);

// The rows each sequence sends, in order. bandRow is RigBandRow; a value outside
// 15..19 sends no band command.
std::vector<int> sessionStartRows(int bandRow);
std::vector<int> sessionFinishRows();
std::vector<int> bandRows(int bandRow);

}  // namespace harkola
