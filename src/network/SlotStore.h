#pragma once
// Where a collector keeps the network's reports: one table, each report once by its
// key (station, slot start, band), in the order they arrived. Two kinds behind one
// interface: a SQLite file (the embedded default) and a PostgreSQL database (for a
// network that outgrows one file, or that others query).
//
// The table, for anyone who reads it with SQL:
//   slot_reports(id, station, slot_start, band, beacon, beacon_call, heard, dashes,
//                snr_100w, snr_10w, snr_1w, snr_100mw, tone_hz, offset_ms, detector,
//                locator, version, clock_ms, received)
// slot_start and received in seconds since 1970-01-01 UTC, band in MHz, SNRs in dB,
// empty (NULL) where unknown; id rises in the order of arrival. The key's index runs
// (slot_start, band, station): reports arrive roughly in slot order, so new entries go
// near its end and writing stays as fast at a million rows as at the first (keyed by
// station first, each batch touched a thousand places of the index and the rate halved
// by the millionth row); the same index serves reading by time.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "network/SlotReport.h"

namespace harkola {

class SlotStore {
 public:
  virtual ~SlotStore() = default;
  // Stores the reports in one transaction, each at most once: a report whose key is
  // stored already is skipped. The number newly stored, or -1 with error() (nothing of
  // the batch is stored then).
  virtual long insert(const std::vector<SlotReport>& reports, std::int64_t receivedUtc) = 0;
  // Calls `each` for every stored report with fromUtc <= slot start < toUtc, in the
  // order of arrival, until it returns false. False with error() when the store fails.
  virtual bool read(std::int64_t fromUtc, std::int64_t toUtc, const std::function<bool(const SlotReport&)>& each) = 0;
  virtual long long count() = 0;  // -1 on failure
  virtual std::string description() const = 0;  // "SQLite file x.sqlite", "PostgreSQL db on host:port"
  // What the last failure was, in a sentence for the user.
  const std::string& error() const { return m_error; }

 protected:
  std::string m_error;
};

// "postgresql://..." (or "postgres://...") opens a PostgreSQL database, anything else
// names a SQLite file (created when missing). The table is made when missing. Null with
// `error` when the store cannot be opened.
std::unique_ptr<SlotStore> openSlotStore(const std::string& where, std::string& error);

}  // namespace harkola
