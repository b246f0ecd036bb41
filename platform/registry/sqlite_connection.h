// Owners of an SQLite connection, its prepared statements and its transactions. Every SQLite
// failure throws StoreError with the result it means to a registry caller.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/registry/store_error.h"

namespace qvtouch::platform {

// How long a call waits for another process's lock on a hive: long enough for any transaction on
// a hive, which lasts milliseconds.
inline constexpr std::chrono::milliseconds kStoreBusyTimeout{10'000};

// Calls tryOnce() until it returns true, a few milliseconds apart, for up to the busy time-out:
// the wait for the locks that SQLite's busy handler does not wait for. Throws StoreError with
// ERROR_BUSY once the time is up.
template <class TryOnce>
void RetryWhileBusy(TryOnce&& tryOnce) {
  const auto deadline = std::chrono::steady_clock::now() + kStoreBusyTimeout;
  while (!tryOnce()) {
    if (std::chrono::steady_clock::now() >= deadline) throw StoreError(ERROR_BUSY);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

class Connection {
 public:
  // Opens filename with the sqlite3_open_v2 flags. Statements wait for other processes' locks up
  // to the busy time-out; foreign keys are enforced, so deleting a key deletes all under it. A
  // connection that may write keeps the write-ahead log's files when it closes.
  Connection(const char* filename, int flags);

  // Runs SQL text of one or more statements that return no rows.
  void Execute(const char* sql);
  std::int64_t LastInsertId() const;
  int Changes() const;  // rows changed by the last statement
  [[noreturn]] void Fail(int result) const;

  sqlite3* Handle() const { return db_.get(); }

 private:
  struct Close {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
  };
  std::unique_ptr<sqlite3, Close> db_;
};

class Statement {
 public:
  Statement(Connection& connection, std::string_view sql);

  Statement& Bind(int index, std::int64_t value);
  Statement& Bind(int index, std::string_view text);
  Statement& Bind(int index, std::span<const std::uint8_t> blob);
  // True while a result row is ready, false once the statement has run to its end.
  bool Step();
  // Makes the statement ready to run again, with new bindings.
  void Reset();

  std::int64_t Integer(int column) const;
  std::string Text(int column) const;
  std::vector<std::uint8_t> Blob(int column) const;

 private:
  struct Finalize {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
  };
  Connection& connection_;
  std::unique_ptr<sqlite3_stmt, Finalize> statement_;
};

// A transaction that is rolled back unless committed, so that a failure changes nothing.
class Transaction {
 public:
  // begin is "BEGIN" for a read transaction, "BEGIN IMMEDIATE" for one that writes after reading.
  Transaction(Connection& connection, const char* begin);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void Commit();

 private:
  Connection& connection_;
  bool open_ = true;
};

}  // namespace qvtouch::platform
