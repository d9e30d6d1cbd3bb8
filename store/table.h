#pragma once

#include "platform/locale.h"
#include "store/packet.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

namespace store {

class Table;

enum class FieldType {
    AutoInc, // 32-bit identifier assigned by the table on post
    Integer, // 32-bit signed
    String,  // code-page bytes, cut to the size
    Date,    // a calendar day
    Boolean,
};

// A column as the program defines it.
struct FieldDef {
    QString name;
    FieldType type = FieldType::String;
    int size = 0;              // String: size in bytes
    bool readOnlyAttr = false; // stored in the data file as readonly="true"
    bool readOnly = false;     // the field object refuses writes
    bool calculated = false;   // not stored; filled by the calc-fields handler on every fetch
};

// An index from its definition; fields are "A;B;C;" resolved ignoring case.
struct IndexDef {
    QString name;
    QString fields;
};

// A field of the table's active record. Reads of an empty view give null.
class Field {
public:
    const QString &fieldName() const;
    FieldType dataType() const;
    int size() const;
    bool isCalculated() const;
    bool readOnly() const;
    // A read-only field refuses writes ("Field '%s' cannot be modified").
    void setReadOnly(bool readOnly);

    bool isNull() const;
    // Text: the stored bytes as Unicode; integer: decimal; date: short date
    // format; boolean: "True"/"False"; null: empty text.
    QString asString() const;
    // Text fields: the stored code-page bytes.
    QByteArray asBytes() const;
    qint32 asInteger() const;   // null: 0
    bool asBoolean() const;     // null: false
    double asDateTime() const;  // null: 0 (the empty date)
    QVariant value() const;     // null: an invalid QVariant
    // What the grids show: dates in the short date format, null as empty text.
    QString displayText() const;

    // Writes need the table in insert or edit state ("Dataset not in edit or
    // insert mode") and a writable field ("Field '%s' cannot be modified").
    // Text is converted to the code page, cut to the size, trailing blanks removed.
    void setAsString(const QString &text);
    void setAsInteger(qint32 value);
    void setAsBoolean(bool value);
    void setAsDateTime(double dateTime); // keeps the whole day only
    void setValue(const QVariant &value);
    void clear(); // null

private:
    friend class Table;
    Field(Table &table, FieldDef def, int index);
    // A value as this field stores it; throws StoreError for text that is
    // no valid number, date or boolean.
    PacketValue toStored(const QVariant &value) const;
    PacketValue fromText(const QString &text) const;
    PacketValue fromInteger(qint32 value) const;
    PacketValue fromBoolean(bool value) const;
    PacketValue fromDateTime(double dateTime) const;
    void store(PacketValue value);
    Table &m_table;
    FieldDef m_def;
    int m_index; // position among all fields (stored first, then calculated)
};

// The views of a table (grids, detail tables) follow it through these calls.
class TableObserver {
public:
    virtual ~TableObserver() = default;
    // The current row moved (also after the view changed).
    virtual void currentChanged(Table &) {}
    // The values of one row of the view changed.
    virtual void rowChanged(Table &, int /*viewRow*/) {}
    virtual void rowsInserted(Table &, int /*first*/, int /*last*/) {}
    virtual void rowsRemoved(Table &, int /*first*/, int /*last*/) {}
    // The whole view changed: opened, closed, loaded, re-filtered, or
    // display updates resumed after a suspension.
    virtual void reset(Table &) {}
};

// Binds views and a detail table to a table.
class DataSource {
public:
    explicit DataSource(Table &table)
        : m_table(table)
    {
    }
    Table &dataSet() const { return m_table; }

private:
    Table &m_table;
};

// An in-memory table with row versions, a change log, indexes and an
// optional master/detail link. Navigation, counts, bookmarks and locate
// work within the current view (for a detail table: the master's rows).
// Errors are thrown as StoreError with the program's message texts.
class Table {
public:
    enum class State { Inactive, Browse, Insert, Edit };
    using Bookmark = qint64;

    explicit Table(QString name);
    ~Table();
    Table(const Table &) = delete;
    Table &operator=(const Table &) = delete;

    const QString &name() const;

    // Definition, before the table is opened.
    Field &addField(const FieldDef &def);
    void addIndexDef(const IndexDef &def);
    void setOnCalcFields(std::function<void(Table &)> handler);
    void setAfterScroll(std::function<void(Table &)> handler);

    int fieldCount() const;
    Field &field(int index);
    // Case-insensitive; throws "Field '%s' not found".
    Field &fieldByName(QStringView name);
    Field *findField(QStringView name);

    // Lifecycle.
    State state() const;
    bool active() const;
    // Opens the table empty, from its definition, with the counter at 1.
    void createDataSet();
    // Closes the table first (save-on-close rule), then reads the whole
    // file, matches it against the definition and opens it.
    void loadFromFile(const QString &path);
    void loadFromPacket(const Packet &packet);
    Packet toPacket() const;
    void saveToFile(const QString &path) const;
    void setFileName(const QString &path);
    const QString &fileName() const;
    // Discards a pending insert or edit; with a file name, writes the file
    // when the table changed since it was loaded or created, or when the
    // file does not exist; then closes.
    void close();
    // Any posted insert, effective edit or delete since load or create.
    bool changed() const;
    // A field of the pending insert or edit was written (the detail link's
    // own filling of the link field does not count).
    bool modified() const;

    // Editing. A pending insert is not part of the view (counts, rows
    // drawn through withRecord) until it is posted; field reads see it.
    // Moving, inserting again or a master move first ends a pending insert
    // or edit: posted when a field was written, cancelled otherwise.
    void insert();
    // Throws on an empty view.
    void edit();
    // Views hear rowsInserted (insert), rowChanged or rowsRemoved and
    // rowsInserted (an edit that moved the row), then currentChanged.
    void post();
    void cancel();
    // The following row becomes current, the preceding one after the last.
    void del();

    // Navigation within the view.
    void first();
    void next();
    void prior();
    void last();
    bool eof() const;
    bool bof() const;
    int recordCount() const;
    // Position of the current row in the view, -1 when the view is empty.
    int recNo() const;
    void setRecNo(int viewRow);
    // Exact match, the value converted as a field write would convert it.
    bool locate(QStringView fieldName, const QVariant &value);
    // A bookmark follows its record across edits; going to a bookmark of a
    // deleted row or one outside the view throws "Record not found".
    Bookmark bookmark() const;
    void gotoBookmark(Bookmark bookmark);

    // Suspend/resume the notifications to the views; nests. Resuming the
    // last suspension sends one reset to every view.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const;

    // Indexes and the master/detail link. The detail's view holds the rows
    // whose first key field of the active index equals the master's field;
    // without an active index it holds every row.
    void setIndexName(const QString &name);
    const QString &indexName() const;
    void setMasterSource(DataSource *master, const QString &masterFields);
    // The comparison locale of text keys (a data file's LCID may set it).
    void setCollation(const platform::Collation &collation);

    // Views.
    void addObserver(TableObserver *observer);
    void removeObserver(TableObserver *observer);
    // Runs fn with the row at viewRow as the active record for field reads
    // (calculated fields included), without moving the current row and
    // without notifications. Grids use it to draw rows.
    void withRecord(int viewRow, const std::function<void()> &fn);

private:
    friend class Field;
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace store
