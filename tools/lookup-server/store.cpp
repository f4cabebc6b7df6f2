#include "store.h"

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

namespace lookup {
namespace {

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS verdicts(
    md5 TEXT PRIMARY KEY, verdict INTEGER NOT NULL, name TEXT NOT NULL, note TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS records(
    id INTEGER PRIMARY KEY, scan TEXT NOT NULL, received INTEGER NOT NULL,
    verdict INTEGER NOT NULL, malformed INTEGER NOT NULL, name TEXT NOT NULL,
    company TEXT NOT NULL, product TEXT NOT NULL, version TEXT NOT NULL, size TEXT NOT NULL,
    path TEXT NOT NULL, md5 TEXT NOT NULL, system TEXT NOT NULL, raw TEXT NOT NULL,
    batch INTEGER NOT NULL DEFAULT 0);
CREATE INDEX IF NOT EXISTS records_by_time ON records(received);
)";

void BindText(sqlite3_stmt* statement, int index, const std::string& text) {
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

std::string ColumnText(sqlite3_stmt* statement, int column) {
    const auto* text = sqlite3_column_text(statement, column);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              static_cast<size_t>(sqlite3_column_bytes(statement, column)))
                : std::string();
}

// Resets a statement when it goes out of scope, so an early return leaves it reusable.
struct Reset {
    sqlite3_stmt* statement;
    ~Reset() {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    }
};

} // namespace

std::unique_ptr<Store> Store::Open(const std::string& folder, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = "cannot create the data folder " + folder + ": " + ec.message();
        return nullptr;
    }
    const std::string path = (std::filesystem::path(folder) / "lookup.sqlite3").string();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        error =
            "cannot open the database " + path + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return nullptr;
    }
    std::unique_ptr<Store> store(new Store(db));
    sqlite3_busy_timeout(db, 5000);
    // WAL with NORMAL sync: a commit is not flushed to disk each time, and a crash can lose at
    // most the last moments, never corrupt the file.
    if (!store->Exec("PRAGMA journal_mode=WAL") || !store->Exec("PRAGMA synchronous=NORMAL") ||
        !store->Exec(kSchema)) {
        error = "cannot write the database " + path + ": " + sqlite3_errmsg(db);
        return nullptr;
    }
    // Databases made before requests were numbered get the column, as 0. The index serves the
    // next request number (a maximum, read at every request) and the report alike.
    bool updated = true;
    if (sqlite3_stmt* probe = store->Prepare("SELECT batch FROM records LIMIT 0"))
        sqlite3_finalize(probe);
    else
        updated = store->Exec("ALTER TABLE records ADD COLUMN batch INTEGER NOT NULL DEFAULT 0");
    updated = updated && store->Exec("DROP INDEX IF EXISTS records_by_scan") &&
              store->Exec("CREATE INDEX IF NOT EXISTS records_by_batch ON records(scan, batch)");
    if (!updated) {
        error = "cannot update the database " + path + ": " + sqlite3_errmsg(db);
        return nullptr;
    }
    store->insert_ = store->Prepare(
        "INSERT INTO records(scan, received, verdict, malformed, name, company, product, "
        "version, size, path, md5, system, raw, batch) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    store->next_batch_ =
        store->Prepare("SELECT COALESCE(MAX(batch), 0) + 1 FROM records WHERE scan = ?");
    store->find_verdict_ = store->Prepare("SELECT verdict, name, note FROM verdicts WHERE md5 = ?");
    store->scan_ = store->Prepare(
        "SELECT r.received, r.verdict, r.malformed, r.name, r.company, r.product, r.version, "
        "r.size, r.path, r.md5, r.system, r.raw, r.batch, v.md5 IS NOT NULL, v.name, v.note "
        "FROM records r "
        "LEFT JOIN verdicts v ON v.md5 = r.md5 WHERE r.scan = ? ORDER BY r.id");
    if (!store->insert_ || !store->next_batch_ || !store->find_verdict_ || !store->scan_) {
        error = "cannot prepare the database " + path + ": " + sqlite3_errmsg(db);
        return nullptr;
    }
    return store;
}

Store::Store(sqlite3* db) : db_(db) {}

Store::~Store() {
    sqlite3_finalize(insert_);
    sqlite3_finalize(next_batch_);
    sqlite3_finalize(find_verdict_);
    sqlite3_finalize(scan_);
    sqlite3_close(db_);
}

sqlite3_stmt* Store::Prepare(const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) !=
        SQLITE_OK)
        return nullptr;
    return statement;
}

bool Store::Exec(const char* sql) {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::optional<Verdict> Store::FindVerdict(const std::string& md5) {
    if (md5.empty())
        return std::nullopt;
    std::lock_guard lock(mutex_);
    Reset reset{find_verdict_};
    BindText(find_verdict_, 1, md5);
    if (sqlite3_step(find_verdict_) != SQLITE_ROW)
        return std::nullopt;
    return Verdict{sqlite3_column_int(find_verdict_, 0), ColumnText(find_verdict_, 1),
                   ColumnText(find_verdict_, 2)};
}

std::optional<std::vector<int>>
Store::AddRecords(const std::string& key, const std::vector<FileRecord>& records, int64_t now) {
    std::vector<int> verdicts;
    for (const FileRecord& record : records) {
        const auto verdict = FindVerdict(record.md5);
        verdicts.push_back(verdict ? verdict->code : 0);
    }
    std::lock_guard lock(mutex_);
    if (!Exec("BEGIN IMMEDIATE"))
        return std::nullopt;
    int64_t batch = 1;
    {
        Reset reset{next_batch_};
        BindText(next_batch_, 1, key);
        if (sqlite3_step(next_batch_) == SQLITE_ROW)
            batch = sqlite3_column_int64(next_batch_, 0);
    }
    for (size_t i = 0; i < records.size(); ++i) {
        const FileRecord& r = records[i];
        Reset reset{insert_};
        BindText(insert_, 1, key);
        sqlite3_bind_int64(insert_, 2, now);
        sqlite3_bind_int(insert_, 3, verdicts[i]);
        sqlite3_bind_int(insert_, 4, r.malformed ? 1 : 0);
        int column = 5;
        for (const std::string* field : {&r.name, &r.company, &r.product, &r.version, &r.size,
                                         &r.path, &r.md5, &r.system, &r.raw})
            BindText(insert_, column++, *field);
        sqlite3_bind_int64(insert_, column, batch);
        if (sqlite3_step(insert_) != SQLITE_DONE) {
            Exec("ROLLBACK");
            return std::nullopt;
        }
    }
    if (!Exec("COMMIT")) {
        Exec("ROLLBACK");
        return std::nullopt;
    }
    return verdicts;
}

std::optional<std::vector<StoredRecord>> Store::Scan(const std::string& key) {
    std::lock_guard lock(mutex_);
    Reset reset{scan_};
    BindText(scan_, 1, key);
    std::vector<StoredRecord> records;
    while (sqlite3_step(scan_) == SQLITE_ROW) {
        StoredRecord stored;
        stored.received = sqlite3_column_int64(scan_, 0);
        stored.verdict = sqlite3_column_int(scan_, 1);
        FileRecord& f = stored.file;
        f.malformed = sqlite3_column_int(scan_, 2) != 0;
        int column = 3;
        for (std::string* field : {&f.name, &f.company, &f.product, &f.version, &f.size, &f.path,
                                   &f.md5, &f.system, &f.raw})
            *field = ColumnText(scan_, column++);
        stored.batch = sqlite3_column_int64(scan_, column++);
        stored.known = sqlite3_column_int(scan_, column++) != 0;
        stored.verdict_name = ColumnText(scan_, column++);
        stored.verdict_note = ColumnText(scan_, column++);
        records.push_back(std::move(stored));
    }
    if (records.empty())
        return std::nullopt;
    return records;
}

bool Store::ReplaceVerdicts(const std::vector<VerdictRow>& rows) {
    std::lock_guard lock(mutex_);
    if (!Exec("BEGIN IMMEDIATE"))
        return false;
    sqlite3_stmt* insert =
        Prepare("INSERT OR REPLACE INTO verdicts(md5, verdict, name, note) VALUES(?,?,?,?)");
    bool ok = insert && Exec("DELETE FROM verdicts");
    for (size_t i = 0; ok && i < rows.size(); ++i) {
        BindText(insert, 1, rows[i].md5);
        sqlite3_bind_int(insert, 2, rows[i].verdict);
        BindText(insert, 3, rows[i].name);
        BindText(insert, 4, rows[i].note);
        ok = sqlite3_step(insert) == SQLITE_DONE;
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    ok = ok && Exec("COMMIT");
    if (!ok)
        Exec("ROLLBACK");
    return ok;
}

int64_t Store::Prune(int64_t before) {
    std::lock_guard lock(mutex_);
    sqlite3_stmt* prune = Prepare("DELETE FROM records WHERE received < ?");
    if (!prune)
        return 0;
    sqlite3_bind_int64(prune, 1, before);
    const bool done = sqlite3_step(prune) == SQLITE_DONE;
    sqlite3_finalize(prune);
    return done ? sqlite3_changes64(db_) : 0;
}

} // namespace lookup
