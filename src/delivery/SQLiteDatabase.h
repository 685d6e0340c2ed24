#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>

#include "delivery/SQLiteStatement.h"

struct sqlite3;

namespace veyrune {

// One SQLite connection, closed on destruction. Every failure throws
// SQLiteError. Not thread-safe: the owner serialises access.
class SQLiteDatabase {
  public:
    // Opens or creates the database at `location` (":memory:" for a private
    // in-memory one). Opening is lazy in SQLite: a file that is not a database
    // fails only at its first statement.
    explicit SQLiteDatabase(const std::string& location);
    ~SQLiteDatabase();
    SQLiteDatabase(const SQLiteDatabase&) = delete;
    SQLiteDatabase& operator=(const SQLiteDatabase&) = delete;

    SQLiteStatement prepare(std::string_view sql);
    // Runs one or more statements that return no rows.
    void execute(const std::string& sql);
    std::int64_t lastInsertRowID() const;

    // Runs `body` inside BEGIN IMMEDIATE ... COMMIT; an exception rolls the
    // transaction back and is rethrown.
    template <typename Body>
    auto transaction(Body&& body) -> decltype(body()) {
        execute("BEGIN IMMEDIATE");
        try {
            if constexpr (std::is_void_v<decltype(body())>) {
                body();
                execute("COMMIT");
            } else {
                auto result = body();
                execute("COMMIT");
                return result;
            }
        } catch (...) {
            rollback();
            throw;
        }
    }

    // Calls `observer` with the text of every statement as it starts to run
    // (empty to stop). For diagnostics and tests.
    void traceStatements(std::function<void(std::string_view sql)> observer);

  private:
    void rollback() noexcept;
    static int traceCallback(unsigned type, void* context, void* statement, void* sql);

    sqlite3* db_ = nullptr;
    std::function<void(std::string_view)> traceObserver_;
};

}  // namespace veyrune
