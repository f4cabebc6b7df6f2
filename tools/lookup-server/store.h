// The server's database: the verdict table and every record received, under its scan key.
// One SQLite file in the data folder; one connection shared by the request threads.
#pragma once

#include "records.h"
#include "verdict_csv.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace lookup {

struct Verdict {
    int code = 0;
    std::string name;
    std::string note;
};

struct StoredRecord {
    FileRecord file;
    int64_t received = 0; // seconds since 1970, UTC
    int verdict = 0;      // as answered when the record came in
    bool known = false;   // the digest is in the verdict table now
    int64_t batch = 0;    // which request of its check brought it, from 1
    std::string verdict_name;
    std::string verdict_note;
};

class Store {
public:
    // Creates the folder and the database when missing; on failure returns null and says why.
    static std::unique_ptr<Store> Open(const std::string& folder, std::string& error);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Stores the records under `key` with their verdicts and answers those verdicts in order;
    // nothing when the database refused the write.
    std::optional<std::vector<int>> AddRecords(const std::string& key,
                                               const std::vector<FileRecord>& records, int64_t now);

    // Every record of a scan in the order received; nothing for an unknown key.
    std::optional<std::vector<StoredRecord>> Scan(const std::string& key);

    std::optional<Verdict> FindVerdict(const std::string& md5);

    // The verdict table becomes exactly these rows.
    bool ReplaceVerdicts(const std::vector<VerdictRow>& rows);

    // Deletes the records received before `before`; answers how many went.
    int64_t Prune(int64_t before);

private:
    explicit Store(sqlite3* db);
    sqlite3_stmt* Prepare(const char* sql);
    bool Exec(const char* sql);

    std::mutex mutex_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* next_batch_ = nullptr;
    sqlite3_stmt* find_verdict_ = nullptr;
    sqlite3_stmt* scan_ = nullptr;
};

} // namespace lookup
