#include "store/result_lists.h"

#include "store/connection.h"
#include "store/store.h"
#include "store/store_access.h"

#include <algorithm>
#include <map>

namespace zv {

using sqlite::Cell;
using sqlite::Connection;
using sqlite::Statement;

namespace {

constexpr const char* kCreateStatements[] = {
    "CREATE TABLE IF NOT EXISTS zv_result_lists (id INTEGER PRIMARY KEY, rank_table TEXT NOT NULL COLLATE NOCASE, "
    "keyword TEXT NOT NULL COLLATE NOCASE, day TEXT NOT NULL, UNIQUE (rank_table, keyword, day))",
    // Most addresses come back day after day: each is kept once.
    "CREATE TABLE IF NOT EXISTS zv_result_addresses (id INTEGER PRIMARY KEY, address TEXT NOT NULL UNIQUE, "
    "host TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS zv_result_entries (list INTEGER NOT NULL, position INTEGER NOT NULL, "
    "address INTEGER NOT NULL, own INTEGER NOT NULL, PRIMARY KEY (list, position, address)) WITHOUT ROWID",
};

constexpr const char* kEntriesOfList
    = "SELECT e.position, a.address, a.host, e.own FROM zv_result_entries e JOIN zv_result_addresses a "
      "ON a.id = e.address WHERE e.list = ?1 ORDER BY e.position, a.address";

Cell utf8Cell(const Text& gbk)
{
    return Cell::makeText(gbkToUtf8String(gbk));
}

bool tablesExist(Connection& db)
{
    Statement stmt = db.prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'zv_result_lists'");
    return stmt.step();
}

// Runs work inside a savepoint: all of it is stored or none.
template <typename Work> void inTransaction(Connection& db, Work work)
{
    db.run("SAVEPOINT zv_result_lists");
    try {
        work();
    } catch (...) {
        try {
            db.run("ROLLBACK TO zv_result_lists");
            db.run("RELEASE zv_result_lists");
        } catch (...) {
        }
        throw;
    }
    db.run("RELEASE zv_result_lists");
}

std::optional<std::int64_t> listId(Connection& db, const Text& rankTable, const Text& keyword, const Text& day)
{
    Statement stmt = db.prepare("SELECT id FROM zv_result_lists WHERE rank_table = ?1 AND keyword = ?2 AND day = ?3");
    stmt.bind({utf8Cell(rankTable), utf8Cell(keyword), utf8Cell(day)});
    if (!stmt.step())
        return std::nullopt;
    return stmt.integer(0);
}

std::vector<KeptEntry> readList(Connection& db, std::int64_t id)
{
    std::vector<KeptEntry> out;
    Statement stmt = db.prepare(kEntriesOfList);
    stmt.bind({Cell::makeInteger(id)});
    while (stmt.step()) {
        out.push_back({static_cast<int>(stmt.integer(0)), utf8ToGbkString(stmt.text(1)), utf8ToGbkString(stmt.text(2)),
                       stmt.integer(3) != 0});
    }
    return out;
}

// The recorded day before day, and its list.
std::optional<std::pair<Text, std::int64_t>> previousList(Connection& db, const Text& rankTable, const Text& keyword,
                                                          const Text& day)
{
    Statement stmt = db.prepare("SELECT day, id FROM zv_result_lists WHERE rank_table = ?1 AND keyword = ?2 "
                                "AND day < ?3 ORDER BY day DESC LIMIT 1");
    stmt.bind({utf8Cell(rankTable), utf8Cell(keyword), utf8Cell(day)});
    if (!stmt.step())
        return std::nullopt;
    return std::make_pair(utf8ToGbkString(stmt.text(0)), stmt.integer(1));
}

// The address of the site's best entry of a list.
std::optional<Text> ownBest(Connection& db, std::int64_t list)
{
    Statement stmt = db.prepare("SELECT a.address FROM zv_result_entries e JOIN zv_result_addresses a "
                                "ON a.id = e.address WHERE e.list = ?1 AND e.own = 1 ORDER BY e.position LIMIT 1");
    stmt.bind({Cell::makeInteger(list)});
    if (!stmt.step())
        return std::nullopt;
    return utf8ToGbkString(stmt.text(0));
}

void replaceList(Connection& db, const Text& rankTable, const Text& keyword, const Text& day,
                 const std::vector<KeptEntry>& entries)
{
    if (const std::optional<std::int64_t> old = listId(db, rankTable, keyword, day)) {
        db.run("DELETE FROM zv_result_entries WHERE list = ?1", {Cell::makeInteger(*old)});
        db.run("DELETE FROM zv_result_lists WHERE id = ?1", {Cell::makeInteger(*old)});
    }
    db.run("INSERT INTO zv_result_lists (rank_table, keyword, day) VALUES (?1, ?2, ?3)",
           {utf8Cell(rankTable), utf8Cell(keyword), utf8Cell(day)});
    const Cell list = Cell::makeInteger(db.lastInsertRowId());
    for (const KeptEntry& e : entries) {
        // Most addresses were listed on an earlier day: looked up first.
        std::vector<Cell> address {utf8Cell(e.address)};
        std::int64_t addressId = 0;
        {
            Statement find = db.prepare("SELECT id FROM zv_result_addresses WHERE address = ?1");
            find.bind(address);
            if (find.step()) {
                addressId = find.integer(0);
            } else {
                address.push_back(utf8Cell(e.host));
                db.run("INSERT INTO zv_result_addresses (address, host) VALUES (?1, ?2)", address);
                addressId = db.lastInsertRowId();
            }
        }
        db.run("INSERT OR IGNORE INTO zv_result_entries (list, position, address, own) VALUES (?1, ?2, ?3, ?4)",
               {list, Cell::makeInteger(e.position), Cell::makeInteger(addressId), Cell::makeInteger(e.own ? 1 : 0)});
    }
}

template <typename Result, typename Work> Result guarded(Store& store, Result fallback, Work work)
{
    try {
        Connection& db = StoreAccess::connection(store);
        if (!db.isOpen() || !tablesExist(db))
            return fallback;
        return work(db);
    } catch (...) {
        return fallback;
    }
}

} // namespace

namespace sqlite {

void forgetResultLists(Connection& db, const std::string& rankTableUtf8, const std::string* keywordUtf8)
{
    if (!tablesExist(db))
        return;
    std::vector<Cell> params {Cell::makeText(rankTableUtf8)};
    std::string where = "rank_table = ?1";
    if (keywordUtf8) {
        params.push_back(Cell::makeText(*keywordUtf8));
        where += " AND keyword = ?2";
    }
    db.run("DELETE FROM zv_result_entries WHERE list IN (SELECT id FROM zv_result_lists WHERE " + where + ")", params);
    db.run("DELETE FROM zv_result_lists WHERE " + where, params);
    db.run("DELETE FROM zv_result_addresses WHERE id NOT IN (SELECT address FROM zv_result_entries)");
}

} // namespace sqlite

namespace resultLists {

bool record(Store& store, const Text& rankTable, const Text& keyword, const Text& day,
            const std::vector<KeptEntry>& entries)
{
    return recordDay(store, rankTable, day, {{keyword, entries}});
}

bool recordDay(Store& store, const Text& rankTable, const Text& day, const std::vector<KeywordList>& lists)
{
    try {
        Connection& db = StoreAccess::connection(store);
        if (!db.isOpen())
            return false;
        if (!tablesExist(db)) {
            for (const char* create : kCreateStatements)
                db.run(create);
            db.forgetStatements();
        }
        inTransaction(db, [&] {
            for (const KeywordList& list : lists)
                replaceList(db, rankTable, list.keyword, day, list.entries);
        });
        return true;
    } catch (...) {
        return false;
    }
}

std::vector<Text> days(Store& store, const Text& rankTable, const Text& keyword)
{
    return guarded(store, std::vector<Text>(), [&](Connection& db) {
        std::vector<Text> out;
        Statement stmt
            = db.prepare("SELECT day FROM zv_result_lists WHERE rank_table = ?1 AND keyword = ?2 ORDER BY day");
        stmt.bind({utf8Cell(rankTable), utf8Cell(keyword)});
        while (stmt.step())
            out.push_back(utf8ToGbkString(stmt.text(0)));
        return out;
    });
}

std::optional<std::vector<KeptEntry>> entries(Store& store, const Text& rankTable, const Text& keyword, const Text& day)
{
    using Result = std::optional<std::vector<KeptEntry>>;
    return guarded(store, Result(), [&](Connection& db) -> Result {
        const std::optional<std::int64_t> id = listId(db, rankTable, keyword, day);
        if (!id)
            return std::nullopt;
        return readList(db, *id);
    });
}

ComparedList compared(Store& store, const Text& rankTable, const Text& keyword, const Text& day)
{
    return guarded(store, ComparedList(), [&](Connection& db) {
        const std::optional<std::int64_t> id = listId(db, rankTable, keyword, day);
        if (!id)
            return ComparedList();
        const std::vector<KeptEntry> list = readList(db, *id);
        const auto previous = previousList(db, rankTable, keyword, day);
        if (!previous)
            return compare(list, nullptr);
        const std::vector<KeptEntry> before = readList(db, previous->second);
        return compare(list, &before);
    });
}

std::map<Text, LandingPage> landingPages(Store& store, const Text& rankTable, const Text& day)
{
    return guarded(store, std::map<Text, LandingPage>(), [&](Connection& db) {
        std::vector<std::pair<Text, std::int64_t>> lists;
        {
            Statement stmt = db.prepare("SELECT keyword, id FROM zv_result_lists WHERE rank_table = ?1 AND day = ?2");
            stmt.bind({utf8Cell(rankTable), utf8Cell(day)});
            while (stmt.step())
                lists.emplace_back(utf8ToGbkString(stmt.text(0)), stmt.integer(1));
        }
        std::map<Text, LandingPage> out;
        for (const auto& [keyword, id] : lists) {
            LandingPage& landing = out[keyword];
            landing.address = ownBest(db, id);
            if (const auto previous = previousList(db, rankTable, keyword, day))
                landing.previousAddress = ownBest(db, previous->second);
            landing.changed
                = landing.address && landing.previousAddress && *landing.address != *landing.previousAddress;
        }
        return out;
    });
}

LandingPage landingPage(Store& store, const Text& rankTable, const Text& keyword, const Text& day)
{
    return guarded(store, LandingPage(), [&](Connection& db) {
        LandingPage landing;
        const std::optional<std::int64_t> id = listId(db, rankTable, keyword, day);
        if (!id)
            return landing;
        landing.address = landingAddress(readList(db, *id));
        if (const auto previous = previousList(db, rankTable, keyword, day))
            landing.previousAddress = landingAddress(readList(db, previous->second));
        landing.changed = landing.address && landing.previousAddress && *landing.address != *landing.previousAddress;
        return landing;
    });
}

std::vector<ExportedEntry> exported(Store& store, const Text& rankTable, const ResultListFilter& filter)
{
    return guarded(store, std::vector<ExportedEntry>(), [&](Connection& db) {
        std::vector<ExportedEntry> out;
        // Each keyword's lists by day, so the previous list of each is at hand.
        Statement lists = db.prepare("SELECT id, keyword, day FROM zv_result_lists WHERE rank_table = ?1 "
                                     "AND (?2 = '' OR keyword = ?2) ORDER BY keyword, day");
        lists.bind({utf8Cell(rankTable), utf8Cell(filter.keyword)});
        std::vector<std::tuple<std::int64_t, Text, Text>> found;
        while (lists.step())
            found.emplace_back(lists.integer(0), utf8ToGbkString(lists.text(1)), utf8ToGbkString(lists.text(2)));
        std::vector<KeptEntry> before;
        Text beforeKeyword;
        bool haveBefore = false;
        for (const auto& [id, keyword, day] : found) {
            if (!haveBefore || keyword != beforeKeyword)
                haveBefore = false;
            std::vector<KeptEntry> list = readList(db, id);
            const bool inRange = (filter.from.empty() || day >= filter.from) && (filter.to.empty() || day <= filter.to);
            if (inRange) {
                for (ComparedEntry& e : compare(list, haveBefore ? &before : nullptr).entries)
                    out.push_back({day, keyword, std::move(e)});
            }
            before = std::move(list);
            beforeKeyword = keyword;
            haveBefore = true;
        }
        return out;
    });
}

ComparedList compare(const std::vector<KeptEntry>& day, const std::vector<KeptEntry>* previous)
{
    ComparedList out;
    std::map<Text, const KeptEntry*> bestBefore;
    if (previous) {
        for (const KeptEntry& e : *previous) {
            const KeptEntry*& best = bestBefore[e.host];
            if (!best || e.position < best->position)
                best = &e;
        }
    }
    std::map<Text, bool> listedNow;
    for (const KeptEntry& e : day) {
        ComparedEntry c {e, std::nullopt};
        if (const auto it = bestBefore.find(e.host); it != bestBefore.end())
            c.previousPosition = it->second->position;
        listedNow[e.host] = true;
        out.entries.push_back(std::move(c));
    }
    for (const auto& [host, best] : bestBefore) {
        if (!listedNow.count(host))
            out.gone.push_back(*best);
    }
    std::sort(out.gone.begin(), out.gone.end(),
              [](const KeptEntry& a, const KeptEntry& b) { return a.position < b.position; });
    return out;
}

std::optional<Text> landingAddress(const std::vector<KeptEntry>& list)
{
    const KeptEntry* best = nullptr;
    for (const KeptEntry& e : list) {
        if (e.own && (!best || e.position < best->position))
            best = &e;
    }
    if (!best)
        return std::nullopt;
    return best->address;
}

} // namespace resultLists

} // namespace zv
