#include "delivery/SQLiteStatement.h"

#include <sqlite3.h>

#include <utility>

#include "delivery/SQLiteError.h"

namespace veyrune {

SQLiteStatement::SQLiteStatement(sqlite3* db, std::string_view sql) : db_(db) {
    check(sqlite3_prepare_v2(db_, sql.data(), int(sql.size()), &statement_, nullptr));
}

SQLiteStatement::~SQLiteStatement() {
    sqlite3_finalize(statement_);
}

SQLiteStatement::SQLiteStatement(SQLiteStatement&& other) noexcept
    : db_(other.db_), statement_(std::exchange(other.statement_, nullptr)) {}

void SQLiteStatement::check(int resultCode) const {
    if (resultCode != SQLITE_OK) {
        throw SQLiteError(sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
    }
}

SQLiteStatement& SQLiteStatement::bind(int index, std::string_view text) {
    check(sqlite3_bind_text(statement_, index, text.data(), int(text.size()), SQLITE_TRANSIENT));
    return *this;
}

SQLiteStatement& SQLiteStatement::bind(int index, double value) {
    check(sqlite3_bind_double(statement_, index, value));
    return *this;
}

SQLiteStatement& SQLiteStatement::bind(int index, std::int64_t value) {
    check(sqlite3_bind_int64(statement_, index, value));
    return *this;
}

SQLiteStatement& SQLiteStatement::bindBlob(int index, std::string_view bytes) {
    // A zero-length blob needs a non-null pointer, or SQLite stores NULL.
    static const char kEmpty = 0;
    const char* data = bytes.empty() ? &kEmpty : bytes.data();
    check(sqlite3_bind_blob(statement_, index, data, int(bytes.size()), SQLITE_TRANSIENT));
    return *this;
}

SQLiteStatement& SQLiteStatement::bindNull(int index) {
    check(sqlite3_bind_null(statement_, index));
    return *this;
}

SQLiteStatement& SQLiteStatement::bindOptional(int index, const std::optional<std::string>& text) {
    return text ? bind(index, std::string_view(*text)) : bindNull(index);
}

SQLiteStatement& SQLiteStatement::bindOptional(int index, const std::optional<double>& value) {
    return value ? bind(index, *value) : bindNull(index);
}

bool SQLiteStatement::step() {
    int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) {
        return true;
    }
    if (result == SQLITE_DONE) {
        return false;
    }
    throw SQLiteError(sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
}

void SQLiteStatement::run() {
    while (step()) {
    }
}

void SQLiteStatement::reset() {
    // The error of a failed step was already thrown by step(); reset repeats it.
    sqlite3_reset(statement_);
}

bool SQLiteStatement::isNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

std::string SQLiteStatement::text(int column) const {
    auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return bytes ? std::string(bytes, std::size_t(sqlite3_column_bytes(statement_, column)))
                 : std::string();
}

std::string SQLiteStatement::blob(int column) const {
    auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
    return bytes ? std::string(bytes, std::size_t(sqlite3_column_bytes(statement_, column)))
                 : std::string();
}

double SQLiteStatement::real(int column) const {
    return sqlite3_column_double(statement_, column);
}

std::int64_t SQLiteStatement::integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::optional<std::string> SQLiteStatement::optionalText(int column) const {
    return isNull(column) ? std::nullopt : std::optional<std::string>(text(column));
}

std::optional<double> SQLiteStatement::optionalReal(int column) const {
    return isNull(column) ? std::nullopt : std::optional<double>(real(column));
}

}  // namespace veyrune
