#include "outbox/SQLiteDatabase.h"

#include <sqlite3.h>

#include <utility>

#include "outbox/SQLiteError.h"

namespace veyrune {

SQLiteDatabase::SQLiteDatabase(const std::string& location, const std::string& vfs) {
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    int result =
        sqlite3_open_v2(location.c_str(), &db_, flags, vfs.empty() ? nullptr : vfs.c_str());
    if (result != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(result);
        sqlite3_close(db_);
        db_ = nullptr;
        throw SQLiteError(result, message);
    }
    sqlite3_extended_result_codes(db_, 1);
}

SQLiteDatabase::~SQLiteDatabase() {
    sqlite3_close_v2(db_);
}

void SQLiteDatabase::setSynchronous(Synchronous level) {
    if (synchronous_ == level) {
        return;
    }
    static constexpr const char* kPragmas[] = {
        "PRAGMA synchronous = NORMAL", "PRAGMA synchronous = FULL", "PRAGMA synchronous = EXTRA"};
    execute(kPragmas[int(level)]);
    synchronous_ = level;
}

SQLiteStatement SQLiteDatabase::prepare(std::string_view sql) {
    return SQLiteStatement(db_, sql);
}

void SQLiteDatabase::execute(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        throw SQLiteError(sqlite3_extended_errcode(db_), message);
    }
}

std::int64_t SQLiteDatabase::lastInsertRowID() const {
    return sqlite3_last_insert_rowid(db_);
}

void SQLiteDatabase::rollback() noexcept {
    // Some errors end the transaction by themselves; only roll back an open one.
    if (!sqlite3_get_autocommit(db_)) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void SQLiteDatabase::traceStatements(std::function<void(std::string_view)> observer) {
    traceObserver_ = std::move(observer);
    if (traceObserver_) {
        sqlite3_trace_v2(db_, SQLITE_TRACE_STMT, &SQLiteDatabase::traceCallback, this);
    } else {
        sqlite3_trace_v2(db_, 0, nullptr, nullptr);
    }
}

int SQLiteDatabase::traceCallback(unsigned, void* context, void*, void* sql) {
    auto* self = static_cast<SQLiteDatabase*>(context);
    const char* text = static_cast<const char*>(sql);
    // Statements run from triggers arrive as "-- comment" text; skip them.
    if (text && !(text[0] == '-' && text[1] == '-')) {
        self->traceObserver_(text);
    }
    return 0;
}

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
