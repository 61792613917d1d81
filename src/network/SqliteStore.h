#pragma once
// The store in a SQLite file (write-ahead log, one transaction per batch).

#include "network/SlotStore.h"

struct sqlite3;
struct sqlite3_stmt;

namespace harkola {

class SqliteStore : public SlotStore {
 public:
  ~SqliteStore() override;
  // Null with `error` when the file cannot be opened or is not a store.
  static std::unique_ptr<SqliteStore> open(const std::string& path, std::string& error);

  long insert(const std::vector<SlotReport>& reports, std::int64_t receivedUtc) override;
  bool read(std::int64_t fromUtc, std::int64_t toUtc, const std::function<bool(const SlotReport&)>& each) override;
  long long count() override;
  std::string description() const override { return "SQLite file " + m_path; }

 private:
  SqliteStore() = default;
  bool exec(const char* sql);
  bool fail(const char* what);

  sqlite3* m_db = nullptr;
  sqlite3_stmt* m_insert = nullptr;
  std::string m_path;
};

}  // namespace harkola
