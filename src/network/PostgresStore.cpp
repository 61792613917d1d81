#include "network/PostgresStore.h"

#include <cstdio>
#include <libpq-fe.h>

#include "clock/BeaconSchedule.h"

namespace harkola {

namespace {

const char* kSchema =
    "CREATE TABLE IF NOT EXISTS slot_reports ("
    " id BIGSERIAL PRIMARY KEY,"
    " station TEXT NOT NULL, slot_start BIGINT NOT NULL, band SMALLINT NOT NULL,"
    " beacon SMALLINT NOT NULL, beacon_call TEXT NOT NULL, heard BOOLEAN NOT NULL, dashes SMALLINT NOT NULL,"
    " snr_100w DOUBLE PRECISION, snr_10w DOUBLE PRECISION, snr_1w DOUBLE PRECISION, snr_100mw DOUBLE PRECISION,"
    " tone_hz DOUBLE PRECISION, offset_ms DOUBLE PRECISION,"
    " detector TEXT NOT NULL, locator TEXT NOT NULL, version TEXT NOT NULL, clock_ms DOUBLE PRECISION,"
    " received BIGINT NOT NULL,"
    " UNIQUE (slot_start, band, station));";

constexpr int kColumns = 18;
constexpr std::size_t kRowsPerStatement = 1000;

std::string number(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

std::string insertSql(std::size_t rows) {
  std::string sql =
      "INSERT INTO slot_reports (station, slot_start, band, beacon, beacon_call, heard, dashes,"
      " snr_100w, snr_10w, snr_1w, snr_100mw, tone_hz, offset_ms, detector, locator, version, clock_ms, received)"
      " VALUES ";
  int n = 1;
  for (std::size_t r = 0; r < rows; ++r) {
    sql += r ? ",(" : "(";
    for (int c = 0; c < kColumns; ++c) {
      if (c) sql += ',';
      sql += '$' + std::to_string(n++);
    }
    sql += ')';
  }
  return sql + " ON CONFLICT (slot_start, band, station) DO NOTHING";
}

std::string connectionError(pg_conn* c) {
  std::string e = c ? PQerrorMessage(c) : "out of memory";
  while (!e.empty() && (e.back() == '\n' || e.back() == ' ')) e.pop_back();
  return e;
}

}  // namespace

PostgresStore::~PostgresStore() {
  if (m_conn) PQfinish(m_conn);
}

std::string PostgresStore::description() const {
  if (!m_conn) return "PostgreSQL";
  return std::string("PostgreSQL database ") + PQdb(m_conn) + " on " + PQhost(m_conn) + ":" + PQport(m_conn);
}

std::unique_ptr<PostgresStore> PostgresStore::open(const std::string& url, std::string& error) {
  std::unique_ptr<PostgresStore> s(new PostgresStore);
  s->m_conn = PQconnectdb(url.c_str());
  if (PQstatus(s->m_conn) != CONNECTION_OK) {
    error = "Cannot connect to the PostgreSQL store: " + connectionError(s->m_conn);
    return nullptr;
  }
  // Notices ("relation already exists, skipping") are not for the user.
  PQsetNoticeProcessor(s->m_conn, [](void*, const char*) {}, nullptr);
  if (!s->command(kSchema)) {
    error = s->m_error;
    return nullptr;
  }
  return s;
}

bool PostgresStore::ready() {
  if (PQstatus(m_conn) == CONNECTION_OK) return true;
  PQreset(m_conn);
  if (PQstatus(m_conn) == CONNECTION_OK) return true;
  m_error = "The PostgreSQL store is unreachable: " + connectionError(m_conn);
  return false;
}

bool PostgresStore::command(const char* sql) {
  PGresult* r = PQexec(m_conn, sql);
  const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
  if (!ok) m_error = "The PostgreSQL store failed: " + connectionError(m_conn);
  PQclear(r);
  return ok;
}

long PostgresStore::insert(const std::vector<SlotReport>& reports, std::int64_t receivedUtc) {
  if (reports.empty()) return 0;
  if (!ready() || !command("BEGIN")) return -1;
  long stored = 0;
  std::vector<std::string> text;
  std::vector<const char*> values;
  for (std::size_t first = 0; first < reports.size(); first += kRowsPerStatement) {
    const std::size_t rows = std::min(kRowsPerStatement, reports.size() - first);
    text.assign(rows * kColumns, std::string());
    values.assign(rows * kColumns, nullptr);
    for (std::size_t i = 0; i < rows; ++i) {
      const SlotReport& r = reports[first + i];
      std::string* t = &text[i * kColumns];
      const char** v = &values[i * kColumns];
      auto set = [&](int c, std::string s) {
        t[c] = std::move(s);
        v[c] = t[c].c_str();
      };
      auto setOptional = [&](int c, const std::optional<double>& x) {
        if (x) set(c, number(*x));
      };
      set(0, r.station);
      set(1, std::to_string(r.slotStartUtc));
      set(2, std::to_string(bandMHz(r.band)));
      set(3, std::to_string(r.beacon));
      set(4, r.beaconCall);
      set(5, r.heard ? "t" : "f");
      set(6, std::to_string(r.dashes));
      for (int k = 0; k < 4; ++k) setOptional(7 + k, r.dashSnrDb[static_cast<std::size_t>(k)]);
      setOptional(11, r.toneHz);
      setOptional(12, r.offsetMs);
      set(13, r.detector);
      set(14, r.locator);
      set(15, r.version);
      setOptional(16, r.clockAheadMs);
      set(17, std::to_string(receivedUtc));
    }
    const std::string sql = insertSql(rows);
    PGresult* res = PQexecParams(m_conn, sql.c_str(), static_cast<int>(rows * kColumns), nullptr, values.data(),
                                 nullptr, nullptr, 0);
    const bool ok = PQresultStatus(res) == PGRES_COMMAND_OK;
    if (ok) stored += std::atol(PQcmdTuples(res));
    else m_error = "Cannot write to the PostgreSQL store: " + connectionError(m_conn);
    PQclear(res);
    if (!ok) {
      command("ROLLBACK");
      return -1;
    }
  }
  if (!command("COMMIT")) return -1;
  return stored;
}

bool PostgresStore::read(std::int64_t fromUtc, std::int64_t toUtc, const std::function<bool(const SlotReport&)>& each) {
  if (!ready()) return false;
  const std::string from = std::to_string(fromUtc), to = std::to_string(toUtc);
  const char* params[2] = {from.c_str(), to.c_str()};
  const char* sql =
      "SELECT station, slot_start, band, beacon, beacon_call, heard, dashes, snr_100w, snr_10w, snr_1w,"
      " snr_100mw, tone_hz, offset_ms, detector, locator, version, clock_ms FROM slot_reports"
      " WHERE slot_start >= $1 AND slot_start < $2 ORDER BY id";
  if (!PQsendQueryParams(m_conn, sql, 2, nullptr, params, nullptr, nullptr, 0) || !PQsetSingleRowMode(m_conn)) {
    m_error = "Cannot read the PostgreSQL store: " + connectionError(m_conn);
    return false;
  }
  // One row at a time: memory stays flat however many the range holds.
  bool ok = true, more = true;
  while (PGresult* res = PQgetResult(m_conn)) {
    const auto status = PQresultStatus(res);
    if (status == PGRES_SINGLE_TUPLE && more) {
      auto opt = [res](int c) -> std::optional<double> {
        if (PQgetisnull(res, 0, c)) return std::nullopt;
        return std::strtod(PQgetvalue(res, 0, c), nullptr);
      };
      SlotReport r;
      r.station = PQgetvalue(res, 0, 0);
      r.slotStartUtc = std::strtoll(PQgetvalue(res, 0, 1), nullptr, 10);
      r.band = bandFromMHz(std::atoi(PQgetvalue(res, 0, 2)));
      r.beacon = std::atoi(PQgetvalue(res, 0, 3));
      r.beaconCall = PQgetvalue(res, 0, 4);
      r.heard = PQgetvalue(res, 0, 5)[0] == 't';
      r.dashes = std::atoi(PQgetvalue(res, 0, 6));
      for (int i = 0; i < 4; ++i) r.dashSnrDb[static_cast<std::size_t>(i)] = opt(7 + i);
      r.toneHz = opt(11);
      r.offsetMs = opt(12);
      r.detector = PQgetvalue(res, 0, 13);
      r.locator = PQgetvalue(res, 0, 14);
      r.version = PQgetvalue(res, 0, 15);
      r.clockAheadMs = opt(16);
      more = each(r);
    } else if (status != PGRES_SINGLE_TUPLE && status != PGRES_TUPLES_OK) {
      ok = false;
      m_error = "Cannot read the PostgreSQL store: " + connectionError(m_conn);
    }
    PQclear(res);
  }
  return ok;
}

long long PostgresStore::count() {
  if (!ready()) return -1;
  PGresult* r = PQexec(m_conn, "SELECT count(*) FROM slot_reports");
  long long n = -1;
  if (PQresultStatus(r) == PGRES_TUPLES_OK) n = std::atoll(PQgetvalue(r, 0, 0));
  else m_error = "Cannot read the PostgreSQL store: " + connectionError(m_conn);
  PQclear(r);
  return n;
}

}  // namespace harkola
