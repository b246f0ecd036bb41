#include "platform/registry/key_store.h"

#include <vector>

#include "platform/registry/key_path.h"
#include "platform/registry/store_error.h"

namespace qvtouch::platform {
namespace {

std::optional<std::int64_t> FindSubkey(Statement& find, std::int64_t parent,
                                       std::string_view name) {
  find.Reset();
  if (!find.Bind(1, parent).Bind(2, name).Step()) return std::nullopt;
  return find.Integer(0);
}

constexpr std::string_view kFindSubkey = "SELECT id FROM reg_key WHERE parent = ?1 AND name = ?2";

// The keys of the tree under ?1, with their depth below it.
constexpr std::string_view kSubtree =
    "WITH RECURSIVE tree (id, depth) AS (SELECT ?1, 0 UNION ALL "
    "SELECT reg_key.id, tree.depth + 1 FROM reg_key JOIN tree ON reg_key.parent = tree.id) ";

// How many keys lie between the hive's root and this one.
std::size_t DepthOf(Connection& db, std::int64_t key) {
  Statement parent(db, "SELECT parent FROM reg_key WHERE id = ?1 AND parent IS NOT NULL");
  std::size_t depth = 0;
  for (; parent.Bind(1, key).Step(); ++depth) {
    key = parent.Integer(0);
    parent.Reset();
  }
  return depth;
}

}  // namespace

void RequireKey(Connection& db, std::int64_t key) {
  Statement exists(db, "SELECT 1 FROM reg_key WHERE id = ?1");
  if (!exists.Bind(1, key).Step()) throw StoreError(ERROR_KEY_DELETED);
}

std::optional<std::int64_t> FindKey(Connection& db, std::int64_t from,
                                    std::span<const std::string_view> names) {
  Statement find(db, kFindSubkey);
  std::optional<std::int64_t> key = from;
  for (const std::string_view name : names) {
    key = FindSubkey(find, *key, name);
    if (!key) break;
  }
  return key;
}

CreatedKey CreateKey(Connection& db, std::int64_t from, std::span<const std::string_view> names) {
  if (names.size() > kMaxKeyDepth || DepthOf(db, from) + names.size() > kMaxKeyDepth) {
    throw StoreError(ERROR_INVALID_PARAMETER);
  }
  Statement find(db, kFindSubkey);
  Statement insert(db, "INSERT INTO reg_key (parent, name) VALUES (?1, ?2)");
  CreatedKey key{from, false};
  for (const std::string_view name : names) {
    if (const auto existing = FindSubkey(find, key.Id, name)) {
      key.Id = *existing;
      continue;
    }
    if (!StorableName(name)) throw StoreError(ERROR_INVALID_PARAMETER);
    insert.Reset();
    insert.Bind(1, key.Id).Bind(2, name).Step();
    key = {db.LastInsertId(), true};
  }
  return key;
}

std::optional<std::string> SubkeyAt(Connection& db, std::int64_t key, std::int64_t index) {
  Statement at(db, "SELECT name FROM reg_key WHERE parent = ?1 ORDER BY name LIMIT 1 OFFSET ?2");
  if (!at.Bind(1, key).Bind(2, index).Step()) return std::nullopt;
  return at.Text(0);
}

bool HasSubkeys(Connection& db, std::int64_t key) {
  Statement any(db, "SELECT 1 FROM reg_key WHERE parent = ?1 LIMIT 1");
  return any.Bind(1, key).Step();
}

void DeleteKey(Connection& db, std::int64_t key) {
  Statement deepest(db, std::string(kSubtree) + "SELECT max(depth) FROM tree");
  deepest.Bind(1, key).Step();
  Statement level(db, std::string(kSubtree) +
                          "DELETE FROM reg_key WHERE id IN (SELECT id FROM tree WHERE depth = ?2)");
  for (std::int64_t depth = deepest.Integer(0); depth >= 0; --depth) {
    level.Reset();
    level.Bind(1, key).Bind(2, depth).Step();
  }
}

void DeleteKeyContents(Connection& db, std::int64_t key) {
  Statement subkeys(db, "SELECT id FROM reg_key WHERE parent = ?1");
  subkeys.Bind(1, key);
  std::vector<std::int64_t> children;
  while (subkeys.Step()) children.push_back(subkeys.Integer(0));
  for (const std::int64_t child : children) DeleteKey(db, child);
  Statement(db, "DELETE FROM reg_value WHERE key_id = ?1").Bind(1, key).Step();
}

SubkeyCounts CountSubkeys(Connection& db, std::int64_t key) {
  Statement count(db,
                  "SELECT count(*), ifnull(max(length(CAST(name AS BLOB))), 0) FROM reg_key "
                  "WHERE parent = ?1");
  count.Bind(1, key).Step();
  return {static_cast<DWORD>(count.Integer(0)), static_cast<DWORD>(count.Integer(1))};
}

}  // namespace qvtouch::platform
