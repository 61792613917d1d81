#include "network/SlotMessage.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "clock/BeaconSchedule.h"
#include "clock/SlotLog.h"
#include "data/Maidenhead.h"

namespace harkola {

namespace {

using nlohmann::json;

std::string topicLevel(std::string_view call) {
  std::string s(call);
  for (char& c : s)
    if (c == '/') c = '_';
  return s;
}

bool allOf(std::string_view s, std::size_t lo, std::size_t hi, bool (*ok)(char)) {
  if (s.size() < lo || s.size() > hi) return false;
  for (char c : s)
    if (!ok(c)) return false;
  return true;
}

bool callChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == '-'; }
bool detectorChar(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'; }
bool printable(char c) { return c > ' ' && c < 127; }

// To `perUnit` steps per unit, written as the shortest decimal (842.3, not 842.3000000000001).
double rounded(double v, double perUnit) { return std::round(v * perUnit) / perUnit; }

json numberOrNull(const std::optional<double>& v, double perUnit) {
  return v && std::isfinite(*v) ? json(rounded(*v, perUnit)) : json(nullptr);
}

std::string isoText(std::int64_t utc) {
  return isoUtc(SysTime{} + std::chrono::seconds(utc));
}

// "2026-12-07T08:00:10Z" to seconds since 1970, exactly that form; years 1970..9999
// (the system clock's nanoseconds would overflow past 2262, so this stays in days and
// seconds).
bool parseSlotStart(std::string_view t, std::int64_t& out) {
  static constexpr std::string_view kForm = "dddd-dd-ddTdd:dd:ddZ";
  if (t.size() != kForm.size()) return false;
  for (std::size_t i = 0; i < t.size(); ++i)
    if (kForm[i] == 'd' ? (t[i] < '0' || t[i] > '9') : t[i] != kForm[i]) return false;
  auto num = [t](std::size_t at, std::size_t n) {
    int v = 0;
    for (std::size_t i = at; i < at + n; ++i) v = v * 10 + (t[i] - '0');
    return v;
  };
  const int y = num(0, 4), mo = num(5, 2), d = num(8, 2), h = num(11, 2), mi = num(14, 2), sec = num(17, 2);
  const std::chrono::year_month_day ymd{std::chrono::year{y}, std::chrono::month{static_cast<unsigned>(mo)},
                                        std::chrono::day{static_cast<unsigned>(d)}};
  if (y < 1970 || !ymd.ok() || h > 23 || mi > 59 || sec > 59) return false;
  out = static_cast<std::int64_t>(std::chrono::sys_days{ymd}.time_since_epoch().count()) * 86400 + h * 3600 +
        mi * 60 + sec;
  return true;
}

// Field readers: each returns false (and names the field) when the field is missing or
// not what it must be.
struct Reader {
  const json& obj;
  std::string& detail;

  const json* field(const char* name) {
    const auto it = obj.find(name);
    if (it == obj.end()) {
      detail = std::string(name) + " missing";
      return nullptr;
    }
    return &*it;
  }
  bool fail(const char* name, const char* what) {
    detail = std::string(name) + " " + what;
    return false;
  }
  bool integer(const char* name, long long lo, long long hi, int& out) {
    const json* f = field(name);
    if (!f) return false;
    if (!f->is_number_integer()) return fail(name, "is not a whole number");
    long long v = 0;
    if (f->is_number_unsigned()) {
      const auto u = f->get<std::uint64_t>();
      if (u > static_cast<std::uint64_t>(hi)) return fail(name, "is out of range");
      v = static_cast<long long>(u);
    } else {
      v = f->get<long long>();
    }
    if (v < lo || v > hi) return fail(name, "is out of range");
    out = static_cast<int>(v);
    return true;
  }
  bool boolean(const char* name, bool& out) {
    const json* f = field(name);
    if (!f) return false;
    if (!f->is_boolean()) return fail(name, "is not true or false");
    out = f->get<bool>();
    return true;
  }
  bool text(const char* name, std::string& out) {
    const json* f = field(name);
    if (!f) return false;
    if (!f->is_string()) return fail(name, "is not a string");
    out = f->get<std::string>();
    return true;
  }
  static bool number(const json& f, double lo, double hi, std::optional<double>& out) {
    if (f.is_null()) {
      out.reset();
      return true;
    }
    if (!f.is_number()) return false;
    const double v = f.get<double>();
    if (!std::isfinite(v) || v < lo || v > hi) return false;
    out = v;
    return true;
  }
  bool optionalNumber(const char* name, double lo, double hi, std::optional<double>& out,
                      bool mayBeAbsent = false) {
    const auto it = obj.find(name);
    if (it == obj.end()) {
      out.reset();
      if (mayBeAbsent) return true;
      detail = std::string(name) + " missing";
      return false;
    }
    if (!number(*it, lo, hi, out)) return fail(name, "is not a number in range or null");
    return true;
  }
};

}  // namespace

const char* refusalText(Refusal r) {
  switch (r) {
    case Refusal::None: return "accepted";
    case Refusal::Oversized: return "oversized";
    case Refusal::Malformed: return "malformed JSON";
    case Refusal::UnknownSchema: return "unknown schema";
    case Refusal::WrongType: return "wrong type or value";
    case Refusal::FutureSlot: return "slot in the future";
    case Refusal::TooOld: return "slot too old";
    case Refusal::TopicMismatch: return "topic disagrees";
  }
  return "?";
}

std::string normalisedStation(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return allOf(s, 3, 16, callChar) ? s : std::string();
}

std::string networkLocator(std::string_view text, bool sixCharacters) {
  std::string s(text.substr(0, sixCharacters ? 6 : 4));
  const auto centre = locatorCentre(s);
  if (!centre) return {};
  // Cut a 6-character locator to 4 when asked; canonical case from the position.
  const std::string full = locatorFromPosition(centre->latitude, centre->longitude);
  return full.substr(0, s.size());
}

std::string slotTopic(const SlotReport& r) {
  return std::string(kSlotTopicRoot) + "/" + std::to_string(bandMHz(r.band)) + "/" + topicLevel(r.beaconCall) +
         "/" + topicLevel(r.station);
}

std::string encodeSlotReport(const SlotReport& r) {
  nlohmann::ordered_json j;
  j["schema"] = kSlotSchema;
  j["slot_start"] = isoText(r.slotStartUtc);
  j["band"] = bandMHz(r.band);
  j["beacon"] = r.beacon;
  j["beacon_call"] = r.beaconCall;
  j["heard"] = r.heard;
  j["dashes"] = r.dashes;
  json snrs = json::array();
  for (const auto& s : r.dashSnrDb) snrs.push_back(numberOrNull(s, 10));
  j["snr_db"] = std::move(snrs);
  j["tone_hz"] = numberOrNull(r.toneHz, 10);
  j["offset_ms"] = numberOrNull(r.offsetMs, 1.0);
  j["detector"] = r.detector;
  j["station"] = r.station;
  j["locator"] = r.locator;
  j["version"] = r.version;
  j["clock_ms"] = numberOrNull(r.clockAheadMs, 1.0);
  // Callsigns from a hand-edited beacon table may hold anything: never let a byte that
  // is not UTF-8 make the encoder throw.
  return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

DecodeResult decodeSlotMessage(std::string_view topic, std::string_view payload, std::int64_t nowUtc) {
  DecodeResult res;
  auto refuse = [&res](Refusal r, std::string detail) {
    res.refusal = r;
    res.detail = std::move(detail);
    return res;
  };
  if (payload.size() > kMaxPayloadBytes) return refuse(Refusal::Oversized, std::to_string(payload.size()) + " bytes");
  if (topic.size() > kMaxTopicBytes) return refuse(Refusal::Oversized, "topic of " + std::to_string(topic.size()) + " bytes");

  const json j = json::parse(payload.begin(), payload.end(), nullptr, false);
  if (j.is_discarded() || !j.is_object()) return refuse(Refusal::Malformed, "not a JSON object");

  const auto schema = j.find("schema");
  if (schema == j.end() || !schema->is_number_integer() || schema->get<long long>() != kSlotSchema)
    return refuse(Refusal::UnknownSchema, schema == j.end() ? "no schema" : "schema " + schema->dump());

  SlotReport& r = res.report;
  std::string detail;
  Reader in{j, detail};
  std::string start;
  int mhz = 0;
  auto wrong = [&](const std::string& d) { return refuse(Refusal::WrongType, d); };
  if (!in.text("slot_start", start)) return wrong(detail);
  if (!parseSlotStart(start, r.slotStartUtc)) return wrong("slot_start is not an ISO 8601 UTC time");
  if (r.slotStartUtc % 10 != 0) return wrong("slot_start is not on a slot boundary");
  if (!in.integer("band", 0, 99, mhz)) return wrong(detail);
  r.band = bandFromMHz(mhz);
  if (r.band < 0) return wrong("band is not 14, 18, 21, 24 or 28");
  if (!in.integer("beacon", 1, 18, r.beacon)) return wrong(detail);
  if (!in.text("beacon_call", r.beaconCall)) return wrong(detail);
  if (!allOf(r.beaconCall, 3, 12, callChar)) return wrong("beacon_call is not a callsign");
  if (!in.boolean("heard", r.heard)) return wrong(detail);
  if (!in.integer("dashes", 0, 4, r.dashes)) return wrong(detail);
  const auto snrs = j.find("snr_db");
  if (snrs == j.end() || !snrs->is_array() || snrs->size() != 4) return wrong("snr_db is not a list of four");
  for (std::size_t i = 0; i < 4; ++i)
    if (!Reader::number((*snrs)[i], -60.0, 90.0, r.dashSnrDb[i])) return wrong("snr_db holds a value that is not a number in range or null");
  if (!in.optionalNumber("tone_hz", 0.0, 5000.0, r.toneHz)) return wrong(detail);
  if (!in.optionalNumber("offset_ms", -10000.0, 10000.0, r.offsetMs)) return wrong(detail);
  if (!in.text("detector", r.detector)) return wrong(detail);
  if (!allOf(r.detector, 1, 24, detectorChar)) return wrong("detector is not a detector name");
  if (!in.text("station", r.station)) return wrong(detail);
  if (normalisedStation(r.station) != r.station) return wrong("station is not a callsign");
  if (!in.text("locator", r.locator)) return wrong(detail);
  if ((r.locator.size() != 4 && r.locator.size() != 6) || networkLocator(r.locator, r.locator.size() == 6) != r.locator)
    return wrong("locator is not a 4- or 6-character locator");
  if (!in.text("version", r.version)) return wrong(detail);
  if (!allOf(r.version, 1, 32, printable)) return wrong("version is not a version");
  if (!in.optionalNumber("clock_ms", -86400000.0, 86400000.0, r.clockAheadMs, true)) return wrong(detail);

  // The schedule fixes which beacon a slot belongs to.
  const auto secs = static_cast<int>(((r.slotStartUtc % 3600) + 3600) % 3600);
  if (slotPosition(secs / 60, secs % 60, r.band).stationNumber != r.beacon)
    return wrong("beacon " + std::to_string(r.beacon) + " is not on the air on " + std::to_string(mhz) +
                 " MHz at " + start);

  if (r.slotStartUtc > nowUtc + kFutureSlackSeconds) return refuse(Refusal::FutureSlot, start);
  if (r.slotStartUtc < nowUtc - kMaxReportAgeSeconds) return refuse(Refusal::TooOld, start);

  // The topic must say what the payload says.
  if (topic != slotTopic(r)) return refuse(Refusal::TopicMismatch, std::string(topic));
  return res;
}

SlotReport reportOf(const SlotMeasurement& m, const StationIdentity& who, std::optional<double> clockAheadMs) {
  SlotReport r;
  r.slotStartUtc = std::chrono::duration_cast<std::chrono::seconds>(m.slot.start.time_since_epoch()).count();
  r.band = m.slot.band;
  r.beacon = m.slot.beacon;
  r.beaconCall = normalisedStation(m.callsign);
  if (r.beaconCall.empty()) r.beaconCall = m.callsign;
  r.heard = m.heard;
  r.dashes = m.dashes;
  r.dashSnrDb = m.dashSnrDb;
  if (m.heard) {
    r.toneHz = m.toneHz;
    r.offsetMs = m.offsetMs;
  }
  r.detector = who.detector;
  r.station = who.callsign;
  r.locator = who.locator;
  r.version = who.version;
  r.clockAheadMs = clockAheadMs;
  return r;
}

}  // namespace harkola
