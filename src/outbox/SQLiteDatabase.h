#pragma once

// The only place Veyrune calls SQLite: a connection and its prepared statements.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

struct sqlite3;
struct sqlite3_stmt;

namespace veyrune {

// One prepared statement, finalised on destruction. Parameters and columns
// are numbered as SQLite numbers them (parameters from 1, columns from 0).
// Every failure throws SQLiteError. Used by one thread at a time.
class SQLiteStatement {
  public:
    SQLiteStatement(sqlite3* db, std::string_view sql);
    ~SQLiteStatement();
    SQLiteStatement(const SQLiteStatement&) = delete;
    SQLiteStatement& operator=(const SQLiteStatement&) = delete;
    SQLiteStatement(SQLiteStatement&& other) noexcept;
    SQLiteStatement& operator=(SQLiteStatement&&) = delete;

    SQLiteStatement& bind(int index, std::string_view text);
    SQLiteStatement& bind(int index, double value);
    SQLiteStatement& bind(int index, std::int64_t value);
    SQLiteStatement& bindBlob(int index, std::string_view bytes);
    SQLiteStatement& bindNull(int index);
    SQLiteStatement& bindOptional(int index, const std::optional<std::string>& text);
    SQLiteStatement& bindOptional(int index, const std::optional<double>& value);

    // Advances to the next row; false when the statement is done.
    bool step();
    // Steps until done, for statements without results.
    void run();
    // Rewinds for another run; the bindings stay.
    void reset();

    bool isNull(int column) const;
    std::string text(int column) const;
    std::string blob(int column) const;
    double real(int column) const;
    std::int64_t integer(int column) const;
    std::optional<std::string> optionalText(int column) const;
    std::optional<double> optionalReal(int column) const;

  private:
    void check(int resultCode) const;

    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

// One SQLite connection, closed on destruction. Every failure throws
// SQLiteError. Not thread-safe: the owner serialises access.
class SQLiteDatabase {
  public:
    // Opens or creates the database at `location` (":memory:" for a private
    // in-memory one) through the registered SQLite VFS named `vfs` (empty: the
    // default one). Opening is lazy in SQLite: a file that is not a database
    // fails only at its first statement.
    explicit SQLiteDatabase(const std::string& location, const std::string& vfs = {});
    ~SQLiteDatabase();
    SQLiteDatabase(const SQLiteDatabase&) = delete;
    SQLiteDatabase& operator=(const SQLiteDatabase&) = delete;

    // SQLite's "synchronous" settings, by how far a commit survives.
    enum class Synchronous {
        normal,  // a crash of the program; in WAL mode, power loss only after a checkpoint
        full,    // power loss: every commit is synced
        extra,   // full, and a deleted rollback journal's folder is synced too
    };
    // Applies to the transactions that follow; a no-op when already set.
    // Call it between transactions.
    void setSynchronous(Synchronous level);

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
    std::optional<Synchronous> synchronous_;  // as last set; nothing: SQLite's default
    std::function<void(std::string_view)> traceObserver_;
};

}  // namespace veyrune
