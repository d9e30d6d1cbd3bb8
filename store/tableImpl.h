#pragma once

// The table's private state, shared by table.cpp and field.cpp only.

#include "store/table.h"

#include <QCollatorSortKey>

#include <array>
#include <set>

namespace store {

// A stored row version; its row number is its index in `rows` plus one.
struct StoredRow {
    quint8 state = 0;
    std::vector<PacketValue> values; // one per storage column
};

// A logical record: the visible version of a row, followed across edits so
// that bookmarks and the current position survive them.
struct RecInfo {
    quint32 row = 0; // row number of the visible version
    bool alive = false;
    // The active index's key, kept beside the record so that comparisons
    // do not reach into the row: null marks, numbers and dates of the
    // first key fields, and collation sort keys of the text fields.
    quint32 nullMask = 0;
    std::array<qint64, 4> scalars {};
    std::vector<QCollatorSortKey> keys; // one per text key field
};

// Where a value stands against the first key field, for finding the rows of
// one master value by binary search.
struct KeyProbe {
    const PacketValue *value = nullptr;
    const QCollatorSortKey *key = nullptr;
    int side = -1; // -1: before the equal rows, +1: after them
};

struct Table::Impl {
    explicit Impl(Table &table, QString tableName);

    // Orders record numbers by the active index, then by record number,
    // so equal keys keep the order in which the records were created.
    struct RecLess {
        const Impl *d;
        using is_transparent = void;
        bool operator()(quint32 a, quint32 b) const;
        bool operator()(quint32 a, const KeyProbe &p) const;
        bool operator()(const KeyProbe &p, quint32 a) const;
    };
    using Order = std::set<quint32, RecLess>;

    struct ActiveKey {
        std::vector<int> cols;     // storage columns, in key order
        std::vector<int> textSlot; // index into RecInfo::keys, -1 for non-text
        std::vector<bool> scalar;  // held in RecInfo::scalars
        int textCount = 0;
    };

    Table &q;
    QString name;

    // Definition.
    std::vector<std::unique_ptr<Field>> fields; // stored first, then calculated
    bool persistent = false;                    // fields were defined by the program
    std::vector<int> definedSize;               // per field, as defined
    std::vector<int> fieldCol;                  // per field: storage column, -1 for calculated
    std::vector<int> calcSlot;                  // per field: calculated slot, -1 for stored
    int calcCount = 0;
    std::vector<IndexDef> indexDefs;
    std::function<void(Table &)> onCalcFields;
    std::function<void(Table &)> afterScroll;

    // Stored data.
    State state = State::Inactive;
    std::vector<PacketColumn> columns;
    std::vector<ColumnKind> kinds;
    int autoIncCol = -1;
    std::vector<StoredRow> rows;
    std::vector<ChangeLogEntry> log;
    qint64 counter = 1;
    std::vector<PacketParam> params;
    std::vector<PacketParamElement> paramElements;
    bool changed = false;
    QString fileName;

    // Records and the active index.
    std::vector<RecInfo> recs; // recs[0] is unused: 0 means "no record"
    QString indexName;
    ActiveKey key;
    platform::Collation collation;
    Order order;

    // The view.
    Table *master = nullptr;
    QString masterFields;
    std::vector<Table *> details;
    PacketValue masterValue;
    std::vector<quint32> view; // built on demand from `order`
    bool viewValid = false;
    quint32 cur = 0;
    int curPosHint = -1; // where cur stood in `view` when last looked up
    bool atEof = true;
    bool atBof = true;

    // Pending insert or edit.
    std::vector<PacketValue> buffer;
    bool modified = false;
    quint32 editRec = 0;

    // Calculated fields and rows drawn through withRecord.
    std::vector<PacketValue> calcBuf;
    int calcDepth = 0;
    const std::vector<PacketValue> *overrideRow = nullptr;

    // Views.
    std::vector<TableObserver *> observers;
    int disabled = 0;

    // Helpers.
    void requireActive() const;
    void requireInactive() const;
    const std::vector<PacketValue> &valuesOf(quint32 rec) const { return rows[recs[rec].row - 1].values; }
    const std::vector<PacketValue> *activeValues() const;
    const PacketValue *read(const Field &f);
    void checkWritable(const Field &f) const;
    PacketValue &writeSlot(const Field &f);
    bool computeCalc();

    int compareKey(size_t k, quint32 a, quint32 b) const;
    int compareProbe(quint32 a, const KeyProbe &p) const;
    bool filtered() const;
    std::optional<QCollatorSortKey> masterSortKey() const;
    std::pair<Order::const_iterator, Order::const_iterator> range() const;
    bool inView(quint32 rec) const;
    void ensureView();
    int posOf(quint32 rec);
    int currentPos();
    void computeKeys(quint32 rec);
    ActiveKey resolveIndex(const QString &indexName);
    void rebuildOrder();
    PacketValue currentValue(const Field &f) const;

    bool notifying() const { return disabled == 0 && !observers.empty(); }
    template <class F>
    void notify(F &&f)
    {
        if (disabled > 0)
            return;
        const std::vector<TableObserver *> copy = observers;
        for (TableObserver *o : copy)
            f(*o);
    }
    void runAfterScroll();
    void notifyDetails(bool force);
    void followMaster(bool force);
    void scrolled();
    void moveToFirst();
    void checkBrowseMode();
    void discardPending();
    void opened();
    void clearData();
    void rebuildFieldMaps();
};

} // namespace store
