#include "network/SqliteStore.h"

#include <sqlite3.h>

#include "clock/BeaconSchedule.h"
#include "network/PostgresStore.h"

namespace harkola {

namespace {

const char* kSchema =
    "CREATE TABLE IF NOT EXISTS slot_reports ("
    " id INTEGER PRIMARY KEY,"
    " station TEXT NOT NULL, slot_start INTEGER NOT NULL, band INTEGER NOT NULL,"
    " beacon INTEGER NOT NULL, beacon_call TEXT NOT NULL, heard INTEGER NOT NULL, dashes INTEGER NOT NULL,"
    " snr_100w REAL, snr_10w REAL, snr_1w REAL, snr_100mw REAL, tone_hz REAL, offset_ms REAL,"
    " detector TEXT NOT NULL, locator TEXT NOT NULL, version TEXT NOT NULL, clock_ms REAL,"
    " received INTEGER NOT NULL,"
    " UNIQUE (slot_start, band, station));";

const char* kInsert =
    "INSERT OR IGNORE INTO slot_reports (station, slot_start, band, beacon, beacon_call, heard, dashes,"
    " snr_100w, snr_10w, snr_1w, snr_100mw, tone_hz, offset_ms, detector, locator, version, clock_ms, received)"
    " VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";

const char* kSelect =
    "SELECT station, slot_start, band, beacon, beacon_call, heard, dashes, snr_100w, snr_10w, snr_1w,"
    " snr_100mw, tone_hz, offset_ms, detector, locator, version, clock_ms FROM slot_reports"
    " WHERE slot_start >= ? AND slot_start < ? ORDER BY id";

void bindText(sqlite3_stmt* s, int i, const std::string& v) {
  sqlite3_bind_text(s, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
}
void bindOptional(sqlite3_stmt* s, int i, const std::optional<double>& v) {
  if (v) sqlite3_bind_double(s, i, *v);
  else sqlite3_bind_null(s, i);
}
std::string columnText(sqlite3_stmt* s, int i) {
  const auto* p = sqlite3_column_text(s, i);
  return p ? std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(sqlite3_column_bytes(s, i)))
           : std::string();
}
std::optional<double> columnOptional(sqlite3_stmt* s, int i) {
  if (sqlite3_column_type(s, i) == SQLITE_NULL) return std::nullopt;
  return sqlite3_column_double(s, i);
}

}  // namespace

std::unique_ptr<SlotStore> openSlotStore(const std::string& where, std::string& error) {
  if (where.rfind("postgresql://", 0) == 0 || where.rfind("postgres://", 0) == 0) return PostgresStore::open(where, error);
  return SqliteStore::open(where, error);
}

SqliteStore::~SqliteStore() {
  if (m_insert) sqlite3_finalize(m_insert);
  if (m_db) sqlite3_close(m_db);
}

bool SqliteStore::fail(const char* what) {
  m_error = std::string(what) + " " + m_path + ": " + (m_db ? sqlite3_errmsg(m_db) : "out of memory");
  return false;
}

bool SqliteStore::exec(const char* sql) {
  char* msg = nullptr;
  if (sqlite3_exec(m_db, sql, nullptr, nullptr, &msg) == SQLITE_OK) return true;
  m_error = "The store " + m_path + " failed: " + (msg ? msg : "?");
  sqlite3_free(msg);
  return false;
}

std::unique_ptr<SqliteStore> SqliteStore::open(const std::string& path, std::string& error) {
  std::unique_ptr<SqliteStore> s(new SqliteStore);
  s->m_path = path;
  if (sqlite3_open_v2(path.c_str(), &s->m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK) {
    s->fail("Cannot open the store");
    error = s->m_error;
    return nullptr;
  }
  // A reader (the propagation window, a report) may look while the collector writes.
  sqlite3_busy_timeout(s->m_db, 5000);
  if (!s->exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;") || !s->exec(kSchema) ||
      sqlite3_prepare_v2(s->m_db, kInsert, -1, &s->m_insert, nullptr) != SQLITE_OK) {
    if (s->m_error.empty()) s->fail("Cannot use the store");
    error = s->m_error.find("not a database") != std::string::npos || s->m_error.find("file is not") != std::string::npos
                ? path + " is not a store (not a SQLite database)."
                : s->m_error;
    return nullptr;
  }
  return s;
}

long SqliteStore::insert(const std::vector<SlotReport>& reports, std::int64_t receivedUtc) {
  if (reports.empty()) return 0;
  if (!exec("BEGIN")) return -1;
  long stored = 0;
  for (const SlotReport& r : reports) {
    sqlite3_stmt* s = m_insert;
    sqlite3_reset(s);
    bindText(s, 1, r.station);
    sqlite3_bind_int64(s, 2, r.slotStartUtc);
    sqlite3_bind_int(s, 3, bandMHz(r.band));
    sqlite3_bind_int(s, 4, r.beacon);
    bindText(s, 5, r.beaconCall);
    sqlite3_bind_int(s, 6, r.heard ? 1 : 0);
    sqlite3_bind_int(s, 7, r.dashes);
    for (int i = 0; i < 4; ++i) bindOptional(s, 8 + i, r.dashSnrDb[static_cast<std::size_t>(i)]);
    bindOptional(s, 12, r.toneHz);
    bindOptional(s, 13, r.offsetMs);
    bindText(s, 14, r.detector);
    bindText(s, 15, r.locator);
    bindText(s, 16, r.version);
    bindOptional(s, 17, r.clockAheadMs);
    sqlite3_bind_int64(s, 18, receivedUtc);
    if (sqlite3_step(s) != SQLITE_DONE) {
      fail("Cannot write to the store");
      sqlite3_reset(s);
      exec("ROLLBACK");
      return -1;
    }
    stored += sqlite3_changes(m_db);
  }
  if (!exec("COMMIT")) {
    exec("ROLLBACK");
    return -1;
  }
  return stored;
}

bool SqliteStore::read(std::int64_t fromUtc, std::int64_t toUtc, const std::function<bool(const SlotReport&)>& each) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(m_db, kSelect, -1, &s, nullptr) != SQLITE_OK) return fail("Cannot read the store");
  sqlite3_bind_int64(s, 1, fromUtc);
  sqlite3_bind_int64(s, 2, toUtc);
  int rc = SQLITE_ROW;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    SlotReport r;
    r.station = columnText(s, 0);
    r.slotStartUtc = sqlite3_column_int64(s, 1);
    r.band = bandFromMHz(sqlite3_column_int(s, 2));
    r.beacon = sqlite3_column_int(s, 3);
    r.beaconCall = columnText(s, 4);
    r.heard = sqlite3_column_int(s, 5) != 0;
    r.dashes = sqlite3_column_int(s, 6);
    for (int i = 0; i < 4; ++i) r.dashSnrDb[static_cast<std::size_t>(i)] = columnOptional(s, 7 + i);
    r.toneHz = columnOptional(s, 11);
    r.offsetMs = columnOptional(s, 12);
    r.detector = columnText(s, 13);
    r.locator = columnText(s, 14);
    r.version = columnText(s, 15);
    r.clockAheadMs = columnOptional(s, 16);
    if (!each(r)) break;
  }
  const bool ok = rc == SQLITE_ROW || rc == SQLITE_DONE;
  if (!ok) fail("Cannot read the store");
  sqlite3_finalize(s);
  return ok;
}

long long SqliteStore::count() {
  sqlite3_stmt* s = nullptr;
  long long n = -1;
  if (sqlite3_prepare_v2(m_db, "SELECT count(*) FROM slot_reports", -1, &s, nullptr) == SQLITE_OK &&
      sqlite3_step(s) == SQLITE_ROW)
    n = sqlite3_column_int64(s, 0);
  else
    fail("Cannot read the store");
  sqlite3_finalize(s);
  return n;
}

}  // namespace harkola
