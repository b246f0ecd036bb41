#include "platform/registry/sqlite_connection.h"

#include "platform/registry/sqlite_status.h"
#include "platform/registry/store_error.h"

namespace qvtouch::platform {

Connection::Connection(const char* filename, int flags) {
  sqlite3* db = nullptr;
  const int result = sqlite3_open_v2(filename, &db, flags, nullptr);
  db_.reset(db);  // a failed open still returns a connection to close
  if (result != SQLITE_OK) Fail(result);
  sqlite3_busy_timeout(db, static_cast<int>(kStoreBusyTimeout.count()));
  if ((flags & SQLITE_OPEN_READWRITE) != 0) {
    // The write-ahead log and its index stay when the last connection closes: a reader that may
    // not write the folder could not make them again, and could not read without them.
    int persist = 1;
    sqlite3_file_control(db, "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
  }
  Execute("PRAGMA foreign_keys = ON");
}

void Connection::Execute(const char* sql) {
  const int result = sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr);
  if (result != SQLITE_OK) Fail(result);
}

std::int64_t Connection::LastInsertId() const {
  return sqlite3_last_insert_rowid(db_.get());
}

int Connection::Changes() const {
  return sqlite3_changes(db_.get());
}

void Connection::Fail(int result) const {
  throw StoreError(StatusOfSqliteResult(result, db_ ? sqlite3_system_errno(db_.get()) : 0));
}

Statement::Statement(Connection& connection, std::string_view sql) : connection_(connection) {
  sqlite3_stmt* statement = nullptr;
  const int result = sqlite3_prepare_v2(connection.Handle(), sql.data(),
                                        static_cast<int>(sql.size()), &statement, nullptr);
  statement_.reset(statement);
  if (result != SQLITE_OK) connection_.Fail(result);
}

Statement& Statement::Bind(int index, std::int64_t value) {
  const int result = sqlite3_bind_int64(statement_.get(), index, value);
  if (result != SQLITE_OK) connection_.Fail(result);
  return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
  // An empty view may have no data pointer, which SQLite would bind as NULL.
  const int result = sqlite3_bind_text(statement_.get(), index, text.empty() ? "" : text.data(),
                                       static_cast<int>(text.size()), SQLITE_TRANSIENT);
  if (result != SQLITE_OK) connection_.Fail(result);
  return *this;
}

Statement& Statement::Bind(int index, std::span<const std::uint8_t> blob) {
  const int result = blob.empty()
                         ? sqlite3_bind_zeroblob(statement_.get(), index, 0)
                         : sqlite3_bind_blob(statement_.get(), index, blob.data(),
                                             static_cast<int>(blob.size()), SQLITE_TRANSIENT);
  if (result != SQLITE_OK) connection_.Fail(result);
  return *this;
}

bool Statement::Step() {
  const int result = sqlite3_step(statement_.get());
  if (result == SQLITE_ROW) return true;
  if (result == SQLITE_DONE) return false;
  connection_.Fail(result);
}

void Statement::Reset() {
  sqlite3_reset(statement_.get());
}

std::int64_t Statement::Integer(int column) const {
  return sqlite3_column_int64(statement_.get(), column);
}

std::string Statement::Text(int column) const {
  const auto* text = sqlite3_column_text(statement_.get(), column);
  const int size = sqlite3_column_bytes(statement_.get(), column);
  return size == 0 ? std::string() : std::string(reinterpret_cast<const char*>(text), size);
}

std::vector<std::uint8_t> Statement::Blob(int column) const {
  const auto* blob =
      static_cast<const std::uint8_t*>(sqlite3_column_blob(statement_.get(), column));
  const int size = sqlite3_column_bytes(statement_.get(), column);
  return size == 0 ? std::vector<std::uint8_t>() : std::vector<std::uint8_t>(blob, blob + size);
}

Transaction::Transaction(Connection& connection, const char* begin) : connection_(connection) {
  connection_.Execute(begin);
}

Transaction::~Transaction() {
  if (open_) sqlite3_exec(connection_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::Commit() {
  connection_.Execute("COMMIT");
  open_ = false;
}

}  // namespace qvtouch::platform
