#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

}  // namespace veyrune
