#pragma once
// The store in a PostgreSQL database: one multi-row INSERT ... ON CONFLICT DO NOTHING
// per batch of up to 1000 reports, inside one transaction. A lost connection is
// re-established on the next call.

#include "network/SlotStore.h"

struct pg_conn;

namespace harkola {

class PostgresStore : public SlotStore {
 public:
  ~PostgresStore() override;
  // `url`: "postgresql://user@host:port/db" and the other forms libpq takes.
  static std::unique_ptr<PostgresStore> open(const std::string& url, std::string& error);

  long insert(const std::vector<SlotReport>& reports, std::int64_t receivedUtc) override;
  bool read(std::int64_t fromUtc, std::int64_t toUtc, const std::function<bool(const SlotReport&)>& each) override;
  long long count() override;
  std::string description() const override;

 private:
  PostgresStore() = default;
  bool ready();
  bool command(const char* sql);

  pg_conn* m_conn = nullptr;
};

}  // namespace harkola
