#include "store/packetIo.h"
#include "store/storeError.h"
#include "store/tableImpl.h"

#include "platform/codePage.h"

#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace store {

namespace {

int CompareScalars(const PacketValue &a, const PacketValue &b)
{
    if (a.index() != b.index())
        return a.index() < b.index() ? -1 : 1;
    if (const auto *x = std::get_if<qint64>(&a)) {
        const qint64 y = std::get<qint64>(b);
        return *x < y ? -1 : (*x > y ? 1 : 0);
    }
    if (const auto *x = std::get_if<bool>(&a))
        return int(*x) - int(std::get<bool>(b));
    if (const auto *x = std::get_if<PacketDate>(&a)) {
        const qint32 y = std::get<PacketDate>(b).day;
        return x->day < y ? -1 : (x->day > y ? 1 : 0);
    }
    if (const auto *x = std::get_if<QByteArray>(&a))
        return x->compare(std::get<QByteArray>(b));
    return 0;
}

// Type names for the matching of a loaded file against the definition.
QString TypeName(FieldType type)
{
    switch (type) {
    case FieldType::AutoInc:
        return u"AutoInc"_s;
    case FieldType::Integer:
        return u"Integer"_s;
    case FieldType::String:
        return u"String"_s;
    case FieldType::Date:
        return u"Date"_s;
    case FieldType::Boolean:
        return u"Boolean"_s;
    }
    return {};
}

QString ColumnTypeName(const PacketColumn &c)
{
    return c.isAutoInc() ? u"AutoInc"_s : TypeNameOfToken(c.typeToken);
}

QString ColumnName(const PacketColumn &c)
{
    return QString::fromLatin1(c.fieldName.isEmpty() ? c.attrName : c.fieldName);
}

PacketColumn ColumnOf(const FieldDef &def)
{
    PacketColumn c;
    c.attrName = def.name.toLatin1();
    c.readOnly = def.readOnlyAttr;
    switch (def.type) {
    case FieldType::AutoInc:
        c.typeToken = "i4";
        c.subType = "Autoinc";
        break;
    case FieldType::Integer:
        c.typeToken = "i4";
        break;
    case FieldType::String:
        c.typeToken = "string";
        c.width = def.size;
        break;
    case FieldType::Date:
        c.typeToken = "date";
        break;
    case FieldType::Boolean:
        c.typeToken = "boolean";
        break;
    }
    return c;
}

// A field for a column of a file loaded into a table without a definition.
std::optional<FieldDef> DefOfColumn(const PacketColumn &c)
{
    FieldDef def;
    def.name = ColumnName(c);
    def.readOnlyAttr = c.readOnly;
    switch (c.kind()) {
    case ColumnKind::Integer:
        def.type = c.isAutoInc() ? FieldType::AutoInc : FieldType::Integer;
        break;
    case ColumnKind::Boolean:
        def.type = FieldType::Boolean;
        break;
    case ColumnKind::Date:
        def.type = FieldType::Date;
        break;
    case ColumnKind::Text:
        def.type = FieldType::String;
        def.size = c.width.value_or(0);
        break;
    case ColumnKind::Raw:
        return std::nullopt;
    }
    return def;
}

RecInfo LiveRec(quint32 row)
{
    RecInfo rec;
    rec.row = row;
    rec.alive = true;
    return rec;
}

StoreError ClosedError()
{
    return StoreError(u"Cannot perform this operation on a closed dataset"_s);
}

} // namespace

// ---------------------------------------------------------------------------
// Impl helpers

Table::Impl::Impl(Table &table, QString tableName)
    : q(table)
    , name(std::move(tableName))
    , order(RecLess { this })
{
}

void Table::Impl::requireActive() const
{
    if (state == State::Inactive)
        throw ClosedError();
}

void Table::Impl::requireInactive() const
{
    if (state != State::Inactive)
        throw StoreError(u"Cannot perform this operation on an open dataset"_s);
}

const std::vector<PacketValue> *Table::Impl::activeValues() const
{
    if (overrideRow)
        return overrideRow;
    switch (state) {
    case State::Insert:
    case State::Edit:
        return &buffer;
    case State::Browse:
        return cur ? &valuesOf(cur) : nullptr;
    case State::Inactive:
        break;
    }
    return nullptr;
}

bool Table::Impl::computeCalc()
{
    if (calcDepth > 0)
        return true; // the handler reads what it has written so far
    if (!activeValues())
        return false;
    std::fill(calcBuf.begin(), calcBuf.end(), PacketValue {});
    if (onCalcFields) {
        ++calcDepth;
        struct Leave {
            int &depth;
            ~Leave() { --depth; }
        } leave { calcDepth };
        onCalcFields(q);
    }
    return true;
}

const PacketValue *Table::Impl::read(const Field &f)
{
    const int slot = calcSlot[f.m_index];
    if (slot >= 0)
        return computeCalc() ? &calcBuf[slot] : nullptr;
    const std::vector<PacketValue> *values = activeValues();
    const int col = fieldCol[f.m_index];
    if (!values || col < 0)
        return nullptr;
    return &(*values)[col];
}

void Table::Impl::checkWritable(const Field &f) const
{
    if (f.readOnly())
        throw StoreError(u"Field '%1' cannot be modified"_s.arg(f.fieldName()));
    const bool editing = state == State::Insert || state == State::Edit;
    // The calc-fields handler may write the calculated fields, and only those.
    const bool allowed = calcSlot[f.m_index] >= 0 ? (editing || calcDepth > 0) : (editing && calcDepth == 0);
    if (!allowed)
        throw StoreError(u"Dataset not in edit or insert mode"_s);
}

PacketValue &Table::Impl::writeSlot(const Field &f)
{
    checkWritable(f);
    const int slot = calcSlot[f.m_index];
    if (slot >= 0)
        return calcBuf[slot];
    modified = true;
    return buffer[fieldCol[f.m_index]];
}

PacketValue Table::Impl::currentValue(const Field &f) const
{
    const std::vector<PacketValue> *values = state == State::Inactive ? nullptr : activeValues();
    const int col = fieldCol[f.m_index];
    if (!values || col < 0)
        return {};
    return (*values)[col];
}

namespace {

std::optional<qint64> ScalarOf(const PacketValue &v)
{
    if (const auto *n = std::get_if<qint64>(&v))
        return *n;
    if (const auto *b = std::get_if<bool>(&v))
        return qint64(*b);
    if (const auto *date = std::get_if<PacketDate>(&v))
        return date->day;
    return std::nullopt;
}

int Compare(qint64 a, qint64 b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

} // namespace

int Table::Impl::compareKey(size_t k, quint32 a, quint32 b) const
{
    const RecInfo &ra = recs[a];
    const RecInfo &rb = recs[b];
    if (k < 32) {
        const bool na = ra.nullMask >> k & 1;
        const bool nb = rb.nullMask >> k & 1;
        if (na || nb)
            return na == nb ? 0 : (na ? -1 : 1);
    }
    if (const int slot = key.textSlot[k]; slot >= 0)
        return ra.keys[slot].compare(rb.keys[slot]);
    if (k < ra.scalars.size() && key.scalar[k])
        return Compare(ra.scalars[k], rb.scalars[k]);
    const PacketValue &va = valuesOf(a)[key.cols[k]];
    const PacketValue &vb = valuesOf(b)[key.cols[k]];
    if (IsNull(va) || IsNull(vb))
        return IsNull(va) == IsNull(vb) ? 0 : (IsNull(va) ? -1 : 1);
    return CompareScalars(va, vb);
}

int Table::Impl::compareProbe(quint32 a, const KeyProbe &p) const
{
    const RecInfo &ra = recs[a];
    const bool na = ra.nullMask & 1;
    const bool np = IsNull(*p.value);
    if (na || np)
        return na == np ? 0 : (na ? -1 : 1);
    if (key.textSlot[0] >= 0 && p.key)
        return ra.keys[size_t(key.textSlot[0])].compare(*p.key);
    if (key.scalar[0]) {
        if (const auto probe = ScalarOf(*p.value))
            return Compare(ra.scalars[0], *probe);
    }
    return CompareScalars(valuesOf(a)[key.cols[0]], *p.value);
}

bool Table::Impl::RecLess::operator()(quint32 a, quint32 b) const
{
    for (size_t k = 0; k < d->key.cols.size(); ++k) {
        if (const int c = d->compareKey(k, a, b))
            return c < 0;
    }
    return a < b;
}

bool Table::Impl::RecLess::operator()(quint32 a, const KeyProbe &p) const
{
    const int c = d->compareProbe(a, p);
    return c < 0 || (c == 0 && p.side > 0);
}

bool Table::Impl::RecLess::operator()(const KeyProbe &p, quint32 a) const
{
    const int c = d->compareProbe(a, p);
    return c > 0 || (c == 0 && p.side < 0);
}

bool Table::Impl::filtered() const
{
    return master && !key.cols.empty();
}

std::optional<QCollatorSortKey> Table::Impl::masterSortKey() const
{
    if (key.textSlot[0] >= 0) {
        if (const auto *bytes = std::get_if<QByteArray>(&masterValue))
            return collation.sortKey(platform::FromAnsi(*bytes));
    }
    return std::nullopt;
}

std::pair<Table::Impl::Order::const_iterator, Table::Impl::Order::const_iterator> Table::Impl::range() const
{
    if (!filtered())
        return { order.begin(), order.end() };
    const auto textKey = masterSortKey();
    const QCollatorSortKey *k = textKey ? &*textKey : nullptr;
    return { order.lower_bound(KeyProbe { &masterValue, k, -1 }),
             order.lower_bound(KeyProbe { &masterValue, k, +1 }) };
}

bool Table::Impl::inView(quint32 rec) const
{
    if (rec == 0 || rec >= recs.size() || !recs[rec].alive)
        return false;
    if (!filtered())
        return true;
    const auto textKey = masterSortKey();
    return compareProbe(rec, KeyProbe { &masterValue, textKey ? &*textKey : nullptr, 0 }) == 0;
}

void Table::Impl::ensureView()
{
    if (viewValid)
        return;
    view.clear();
    if (!filtered()) {
        view.assign(order.begin(), order.end());
    } else {
        // One search for the first row of the master's value; its rows follow.
        const auto textKey = masterSortKey();
        const KeyProbe probe { &masterValue, textKey ? &*textKey : nullptr, -1 };
        for (auto it = order.lower_bound(probe); it != order.end() && compareProbe(*it, probe) == 0; ++it)
            view.push_back(*it);
    }
    viewValid = true;
}

int Table::Impl::posOf(quint32 rec)
{
    if (!inView(rec))
        return -1;
    ensureView();
    const auto it = std::lower_bound(view.begin(), view.end(), rec, RecLess { this });
    return it != view.end() && *it == rec ? int(it - view.begin()) : -1;
}

int Table::Impl::currentPos()
{
    ensureView();
    const auto hint = size_t(curPosHint);
    if (curPosHint < 0 || hint >= view.size() || view[hint] != cur)
        curPosHint = posOf(cur);
    return curPosHint;
}

void Table::Impl::computeKeys(quint32 rec)
{
    RecInfo &info = recs[rec];
    info.keys.clear();
    info.nullMask = 0;
    info.keys.reserve(size_t(key.textCount));
    const std::vector<PacketValue> &values = valuesOf(rec);
    for (size_t k = 0; k < key.cols.size(); ++k) {
        const PacketValue &v = values[size_t(key.cols[k])];
        if (IsNull(v) && k < 32)
            info.nullMask |= 1u << k;
        if (key.textSlot[k] >= 0) {
            const auto *bytes = std::get_if<QByteArray>(&v);
            info.keys.push_back(collation.sortKey(bytes ? platform::FromAnsi(*bytes) : QString()));
        } else if (k < info.scalars.size() && key.scalar[k]) {
            info.scalars[k] = ScalarOf(v).value_or(0);
        }
    }
}

Table::Impl::ActiveKey Table::Impl::resolveIndex(const QString &indexToUse)
{
    ActiveKey result;
    if (indexToUse.isEmpty())
        return result;
    const auto def = std::find_if(indexDefs.begin(), indexDefs.end(), [&](const IndexDef &d) {
        return d.name.compare(indexToUse, Qt::CaseInsensitive) == 0;
    });
    if (def == indexDefs.end())
        throw StoreError(u"Index '%1' not found"_s.arg(indexToUse));
    const QStringList names = def->fields.split(u';', Qt::SkipEmptyParts);
    for (const QString &n : names) {
        const QString trimmed = n.trimmed();
        Field *f = q.findField(trimmed);
        if (!f || fieldCol[f->m_index] < 0)
            throw StoreError(u"Field '%1' not found"_s.arg(trimmed));
        const int col = fieldCol[f->m_index];
        result.cols.push_back(col);
        result.textSlot.push_back(kinds[col] == ColumnKind::Text ? result.textCount++ : -1);
        const ColumnKind kind = kinds[col];
        result.scalar.push_back(kind == ColumnKind::Integer || kind == ColumnKind::Boolean
                                || kind == ColumnKind::Date);
    }
    return result;
}

void Table::Impl::rebuildOrder()
{
    // The comparator reads the active key, so the tree is emptied before it changes.
    order.clear();
    viewValid = false;
    std::vector<quint32> alive;
    alive.reserve(recs.size());
    for (quint32 r = 1; r < recs.size(); ++r) {
        if (recs[r].alive) {
            computeKeys(r);
            alive.push_back(r);
        }
    }
    std::sort(alive.begin(), alive.end(), RecLess { this });
    for (quint32 r : alive)
        order.insert(order.end(), r);
}

void Table::Impl::runAfterScroll()
{
    if (afterScroll)
        afterScroll(q);
}

void Table::Impl::notifyDetails(bool force)
{
    if (disabled > 0)
        return;
    const std::vector<Table *> copy = details;
    for (Table *t : copy)
        t->d->followMaster(force);
}

void Table::Impl::moveToFirst()
{
    // A detail's view is small and the walks that follow use it anyway.
    if (filtered()) {
        ensureView();
        cur = view.empty() ? 0 : view.front();
    } else {
        cur = order.empty() ? 0 : *order.begin();
    }
    curPosHint = 0;
    atBof = true;
    atEof = cur == 0;
}

void Table::Impl::followMaster(bool force)
{
    if (state == State::Inactive || !master)
        return;
    PacketValue value;
    if (Field *f = master->findField(masterFields.section(u';', 0, 0).trimmed()))
        value = master->d->currentValue(*f);
    if (!force && value == masterValue)
        return;
    checkBrowseMode();
    masterValue = std::move(value);
    viewValid = false;
    moveToFirst();
    notify([&](TableObserver &o) { o.reset(q); });
    // Details follow first, so the after-scroll handler sees them in step.
    notifyDetails(false);
    runAfterScroll();
}

void Table::Impl::scrolled()
{
    notify([&](TableObserver &o) { o.currentChanged(q); });
    notifyDetails(false);
    runAfterScroll();
}

void Table::Impl::discardPending()
{
    state = State::Browse;
    buffer.clear();
    modified = false;
    editRec = 0;
}

void Table::Impl::checkBrowseMode()
{
    if (state != State::Insert && state != State::Edit)
        return;
    if (modified)
        q.post();
    else
        q.cancel();
}

void Table::Impl::rebuildFieldMaps()
{
    calcSlot.assign(fields.size(), -1);
    calcCount = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        fields[i]->m_index = int(i);
        if (fields[i]->m_def.calculated)
            calcSlot[i] = calcCount++;
    }
    fieldCol.resize(fields.size(), -1);
    definedSize.resize(fields.size(), 0);
    for (size_t i = 0; i < fields.size(); ++i)
        definedSize[i] = fields[i]->m_def.size;
}

void Table::Impl::opened()
{
    try {
        key = resolveIndex(indexName);
    } catch (...) {
        clearData();
        throw;
    }
    state = State::Browse;
    calcBuf.assign(calcCount, PacketValue {});
    rebuildOrder();
    if (master) {
        masterValue = {};
        if (Field *f = master->findField(masterFields.section(u';', 0, 0).trimmed()))
            masterValue = master->d->currentValue(*f);
    }
    moveToFirst();
    notify([&](TableObserver &o) { o.reset(q); });
    notifyDetails(true);
    runAfterScroll();
}

void Table::Impl::clearData()
{
    state = State::Inactive;
    buffer.clear();
    modified = false;
    editRec = 0;
    columns.clear();
    kinds.clear();
    autoIncCol = -1;
    rows.clear();
    log.clear();
    counter = 1;
    params.clear();
    paramElements.clear();
    changed = false;
    recs.assign(1, RecInfo {});
    order.clear();
    view.clear();
    viewValid = false;
    key = {};
    cur = 0;
    atEof = atBof = true;
    masterValue = {};
    if (!persistent) {
        fields.clear();
        fieldCol.clear();
        calcSlot.clear();
        definedSize.clear();
        calcCount = 0;
    } else {
        for (size_t i = 0; i < fields.size(); ++i) {
            fields[i]->m_def.size = definedSize[i];
            if (calcSlot[i] < 0)
                fieldCol[i] = -1;
        }
    }
}

// ---------------------------------------------------------------------------
// Table

Table::Table(QString name)
    : d(std::make_unique<Impl>(*this, std::move(name)))
{
    d->recs.assign(1, RecInfo {});
}

Table::~Table()
{
    d->observers.clear();
    if (d->master)
        std::erase(d->master->d->details, this);
    for (Table *t : d->details)
        t->d->master = nullptr;
    d->details.clear();
    // A table still open at the end is closed under the same save rule;
    // nobody is left to hear about a failure.
    try {
        close();
    } catch (...) {
    }
}

const QString &Table::name() const
{
    return d->name;
}

Field &Table::addField(const FieldDef &def)
{
    d->requireInactive();
    d->persistent = true;
    auto pos = d->fields.end();
    if (!def.calculated) {
        pos = std::find_if(d->fields.begin(), d->fields.end(),
                           [](const std::unique_ptr<Field> &f) { return f->m_def.calculated; });
    }
    const auto it = d->fields.insert(pos, std::unique_ptr<Field>(new Field(*this, def, 0)));
    Field &added = **it;
    d->rebuildFieldMaps();
    return added;
}

void Table::addIndexDef(const IndexDef &def)
{
    d->indexDefs.push_back(def);
}

void Table::setOnCalcFields(std::function<void(Table &)> handler)
{
    d->onCalcFields = std::move(handler);
}

void Table::setAfterScroll(std::function<void(Table &)> handler)
{
    d->afterScroll = std::move(handler);
}

int Table::fieldCount() const
{
    return int(d->fields.size());
}

Field &Table::field(int index)
{
    return *d->fields.at(size_t(index));
}

Field &Table::fieldByName(QStringView name)
{
    if (Field *f = findField(name))
        return *f;
    throw StoreError(u"Field '%1' not found"_s.arg(name));
}

Field *Table::findField(QStringView name)
{
    for (const auto &f : d->fields) {
        if (name.compare(f->m_def.name, Qt::CaseInsensitive) == 0)
            return f.get();
    }
    return nullptr;
}

Table::State Table::state() const
{
    return d->state;
}

bool Table::active() const
{
    return d->state != State::Inactive;
}

void Table::createDataSet()
{
    close();
    for (size_t i = 0; i < d->fields.size(); ++i) {
        Field &f = *d->fields[i];
        if (f.m_def.calculated)
            continue;
        d->fieldCol[i] = int(d->columns.size());
        d->columns.push_back(ColumnOf(f.m_def));
        d->kinds.push_back(d->columns.back().kind());
        if (f.m_def.type == FieldType::AutoInc && d->autoIncCol < 0)
            d->autoIncCol = d->fieldCol[i];
    }
    d->counter = 1;
    d->opened();
}

void Table::loadFromFile(const QString &path)
{
    close();
    loadFromPacket(ReadPacketFile(path));
}

void Table::loadFromPacket(const Packet &packet)
{
    close();
    // Match the file against the definition before anything changes, so a
    // file that does not fit leaves the table closed.
    std::vector<int> cols(d->fields.size(), -1);
    std::vector<int> sizes = d->definedSize;
    std::vector<FieldDef> dynamicDefs;
    std::vector<int> dynamicCols;
    if (d->persistent) {
        for (size_t i = 0; i < d->fields.size(); ++i) {
            const FieldDef &def = d->fields[i]->m_def;
            if (def.calculated)
                continue;
            const auto c = std::find_if(packet.columns.begin(), packet.columns.end(), [&](const PacketColumn &pc) {
                return ColumnName(pc).compare(def.name, Qt::CaseInsensitive) == 0;
            });
            if (c == packet.columns.end())
                throw StoreError(u"Field '%1' not found"_s.arg(def.name));
            const QString expected = TypeName(def.type);
            const QString actual = ColumnTypeName(*c);
            if (expected != actual) {
                throw StoreError(
                    u"Type mismatch for field '%1', expecting: %2 actual: %3"_s.arg(def.name, expected, actual));
            }
            if (def.type == FieldType::String && c->width && *c->width > 0 && *c->width < sizes[i])
                sizes[i] = *c->width;
            cols[i] = int(c - packet.columns.begin());
        }
    } else {
        for (size_t c = 0; c < packet.columns.size(); ++c) {
            if (auto def = DefOfColumn(packet.columns[c])) {
                dynamicDefs.push_back(std::move(*def));
                dynamicCols.push_back(int(c));
            }
        }
    }

    if (!d->persistent) {
        d->fields.clear();
        for (const FieldDef &def : dynamicDefs)
            d->fields.push_back(std::unique_ptr<Field>(new Field(*this, def, 0)));
        d->rebuildFieldMaps();
        cols = dynamicCols;
        sizes = d->definedSize;
    }
    for (size_t i = 0; i < d->fields.size(); ++i) {
        d->fieldCol[i] = d->calcSlot[i] >= 0 ? -1 : cols[i];
        d->fields[i]->m_def.size = sizes[i];
    }

    d->columns = packet.columns;
    for (size_t c = 0; c < d->columns.size(); ++c) {
        d->kinds.push_back(d->columns[c].kind());
        if (d->autoIncCol < 0 && d->columns[c].isAutoInc())
            d->autoIncCol = int(c);
    }
    d->rows.reserve(packet.rows.size());
    qint64 largestId = 0;
    for (const PacketRow &pr : packet.rows) {
        StoredRow row { pr.state, pr.values };
        row.values.resize(d->columns.size());
        if (d->autoIncCol >= 0) {
            if (const auto *id = std::get_if<qint64>(&row.values[size_t(d->autoIncCol)]))
                largestId = std::max(largestId, *id);
        }
        d->rows.push_back(std::move(row));
        if (pr.visible())
            d->recs.push_back(LiveRec(quint32(d->rows.size())));
    }
    d->log = packet.changeLog;
    // A counter at or below an identifier already given would hand it out twice.
    d->counter = std::max(packet.autoIncValue.value_or(1), largestId + 1);
    d->params = packet.params;
    d->paramElements = packet.paramElements;
    if (const auto lcid = packet.lcid())
        d->collation = platform::Collation(platform::LocaleFromLcid(*lcid));
    d->opened();
}

Packet Table::toPacket() const
{
    d->requireActive();
    Packet p;
    p.columns = d->columns;
    p.rows.reserve(d->rows.size());
    for (const StoredRow &r : d->rows)
        p.rows.push_back(PacketRow { r.state, r.values });
    p.changeLog = d->log;
    if (d->autoIncCol >= 0)
        p.autoIncValue = d->counter;
    p.params = d->params;
    p.paramElements = d->paramElements;
    return p;
}

void Table::saveToFile(const QString &path) const
{
    WritePacketFile(path, toPacket());
}

void Table::setFileName(const QString &path)
{
    d->fileName = path;
}

const QString &Table::fileName() const
{
    return d->fileName;
}

void Table::close()
{
    if (d->state == State::Inactive)
        return;
    // Only posted rows are saved: a pending insert or edit is dropped.
    d->discardPending();
    if (!d->fileName.isEmpty() && (d->changed || !QFileInfo::exists(d->fileName)))
        WritePacketFile(d->fileName, toPacket());
    d->clearData();
    d->notify([&](TableObserver &o) { o.reset(*this); });
    d->notifyDetails(true);
}

bool Table::changed() const
{
    return d->changed;
}

bool Table::modified() const
{
    return (d->state == State::Insert || d->state == State::Edit) && d->modified;
}

void Table::insert()
{
    d->requireActive();
    d->checkBrowseMode();
    d->state = State::Insert;
    d->buffer.assign(d->columns.size(), PacketValue {});
    // The detail's link field comes first and does not count as a change.
    if (d->filtered())
        d->buffer[size_t(d->key.cols[0])] = d->masterValue;
    d->modified = false;
    d->scrolled();
}

void Table::edit()
{
    d->requireActive();
    if (d->state == State::Insert || d->state == State::Edit)
        return;
    if (d->cur == 0)
        throw StoreError(u"Cannot perform this operation on an empty dataset"_s);
    d->state = State::Edit;
    d->editRec = d->cur;
    d->buffer = d->valuesOf(d->cur);
    d->modified = false;
}

void Table::post()
{
    d->requireActive();
    if (d->state == State::Insert) {
        if (d->autoIncCol >= 0)
            d->buffer[size_t(d->autoIncCol)] = d->counter++;
        d->rows.push_back(StoredRow { RowInserted, std::move(d->buffer) });
        const auto rowNo = quint32(d->rows.size());
        d->log.push_back(ChangeLogEntry { rowNo, 0, RowInserted });
        const auto rec = quint32(d->recs.size());
        d->recs.push_back(LiveRec(rowNo));
        d->computeKeys(rec);
        d->order.insert(rec);
        d->viewValid = false;
        d->changed = true;
        d->discardPending();
        if (d->inView(rec)) {
            d->cur = rec;
            d->atEof = d->atBof = false;
            if (d->notifying()) {
                const int p = d->posOf(rec);
                d->notify([&](TableObserver &o) { o.rowsInserted(*this, p, p); });
            }
        }
        d->notify([&](TableObserver &o) { o.currentChanged(*this); });
        d->notifyDetails(false);
        return;
    }
    if (d->state != State::Edit)
        return;

    const quint32 rec = d->editRec;
    const quint32 oldRow = d->recs[rec].row;
    if (d->buffer == d->rows[oldRow - 1].values) {
        d->discardPending();
        return;
    }
    const int oldPos = d->posOf(rec);
    d->order.erase(rec); // while the old values still place it
    StoredRow &old = d->rows[oldRow - 1];
    old.state |= RowSuperseded;
    const quint8 newState = RowModified | (old.state & RowInserted);
    d->rows.push_back(StoredRow { newState, std::move(d->buffer) });
    const auto rowNo = quint32(d->rows.size());
    d->log.push_back(ChangeLogEntry { rowNo, oldRow, RowModified });
    d->recs[rec].row = rowNo;
    d->computeKeys(rec);
    d->order.insert(rec);
    d->viewValid = false;
    d->changed = true;
    d->discardPending();
    const int newPos = d->posOf(rec);
    if (newPos < 0) {
        // The edit moved the row out of this view: stay where it stood.
        d->ensureView();
        d->cur = d->view.empty() ? 0 : d->view[std::min<size_t>(size_t(std::max(oldPos, 0)), d->view.size() - 1)];
        d->atEof = d->atBof = d->cur == 0;
        if (oldPos >= 0)
            d->notify([&](TableObserver &o) { o.rowsRemoved(*this, oldPos, oldPos); });
    } else if (newPos == oldPos) {
        d->notify([&](TableObserver &o) { o.rowChanged(*this, newPos); });
    } else {
        d->notify([&](TableObserver &o) {
            o.rowsRemoved(*this, oldPos, oldPos);
            o.rowsInserted(*this, newPos, newPos);
        });
    }
    d->notify([&](TableObserver &o) { o.currentChanged(*this); });
    d->notifyDetails(false);
}

void Table::cancel()
{
    d->requireActive();
    if (d->state == State::Insert) {
        d->discardPending();
        d->scrolled();
    } else if (d->state == State::Edit) {
        d->discardPending();
        if (d->notifying()) {
            const int p = d->posOf(d->cur);
            d->notify([&](TableObserver &o) { o.rowChanged(*this, p); });
        }
        d->notifyDetails(false);
    }
}

void Table::del()
{
    d->requireActive();
    if (d->state == State::Insert) {
        cancel();
        return;
    }
    if (d->state == State::Edit)
        d->discardPending();
    const quint32 rec = d->cur;
    if (rec == 0)
        throw StoreError(u"Cannot perform this operation on an empty dataset"_s);
    const int pos = d->notifying() ? d->posOf(rec) : -1;
    const auto [lo, hi] = d->range();
    auto it = d->order.find(rec);
    quint32 following = 0;
    if (auto nx = std::next(it); nx != hi)
        following = *nx;
    else if (it != lo)
        following = *std::prev(it);

    const quint32 row = d->recs[rec].row;
    d->rows[row - 1].state |= RowDeleted;
    d->log.push_back(ChangeLogEntry { row, 0, RowDeleted });
    d->order.erase(it);
    d->recs[rec].alive = false;
    d->recs[rec].keys.clear();
    d->viewValid = false;
    d->changed = true;
    d->cur = following;
    d->atEof = d->atBof = following == 0;
    if (pos >= 0)
        d->notify([&](TableObserver &o) { o.rowsRemoved(*this, pos, pos); });
    d->scrolled();
}

void Table::first()
{
    d->requireActive();
    d->checkBrowseMode();
    d->moveToFirst();
    d->scrolled();
}

void Table::next()
{
    d->requireActive();
    d->checkBrowseMode();
    const int pos = d->currentPos();
    if (pos < 0 || size_t(pos) + 1 >= d->view.size()) {
        d->atEof = true;
        return;
    }
    d->cur = d->view[size_t(pos) + 1];
    d->curPosHint = pos + 1;
    d->atBof = d->atEof = false;
    d->scrolled();
}

void Table::prior()
{
    d->requireActive();
    d->checkBrowseMode();
    const int pos = d->currentPos();
    if (pos <= 0) {
        d->atBof = true;
        return;
    }
    d->cur = d->view[size_t(pos) - 1];
    d->curPosHint = pos - 1;
    d->atBof = d->atEof = false;
    d->scrolled();
}

void Table::last()
{
    d->requireActive();
    d->checkBrowseMode();
    if (d->filtered()) {
        d->ensureView();
        d->cur = d->view.empty() ? 0 : d->view.back();
    } else {
        d->cur = d->order.empty() ? 0 : *d->order.rbegin();
    }
    d->atBof = d->atEof = d->cur == 0;
    d->scrolled();
}

bool Table::eof() const
{
    return d->state == State::Inactive || d->atEof;
}

bool Table::bof() const
{
    return d->state == State::Inactive || d->atBof;
}

int Table::recordCount() const
{
    if (d->state == State::Inactive)
        return 0;
    if (!d->filtered())
        return int(d->order.size());
    d->ensureView();
    return int(d->view.size());
}

int Table::recNo() const
{
    if (d->state == State::Inactive)
        return -1;
    return d->currentPos();
}

void Table::setRecNo(int viewRow)
{
    d->requireActive();
    d->checkBrowseMode();
    d->ensureView();
    if (d->view.empty())
        return;
    d->cur = d->view[size_t(std::clamp(viewRow, 0, int(d->view.size()) - 1))];
    d->atBof = d->atEof = false;
    d->scrolled();
}

bool Table::locate(QStringView fieldName, const QVariant &value)
{
    d->requireActive();
    Field &f = fieldByName(fieldName);
    d->checkBrowseMode();
    PacketValue wanted;
    try {
        wanted = f.toStored(value);
    } catch (const StoreError &) {
        return false; // a value the field cannot hold matches no row
    }
    d->ensureView();
    const std::vector<quint32> candidates = d->view;
    for (quint32 rec : candidates) {
        bool match = false;
        d->overrideRow = &d->valuesOf(rec);
        try {
            const PacketValue *v = d->read(f);
            match = v && *v == wanted;
        } catch (...) {
            d->overrideRow = nullptr;
            throw;
        }
        d->overrideRow = nullptr;
        if (match) {
            d->cur = rec;
            d->atBof = d->atEof = false;
            d->scrolled();
            return true;
        }
    }
    return false;
}

Table::Bookmark Table::bookmark() const
{
    return d->state == State::Browse ? Bookmark(d->cur) : Bookmark(d->editRec ? d->editRec : d->cur);
}

void Table::gotoBookmark(Bookmark bookmark)
{
    d->requireActive();
    d->checkBrowseMode();
    if (bookmark <= 0 || quint64(bookmark) >= d->recs.size() || !d->inView(quint32(bookmark)))
        throw StoreError(u"Record not found"_s);
    d->cur = quint32(bookmark);
    d->atBof = d->atEof = false;
    d->scrolled();
}

void Table::disableControls()
{
    ++d->disabled;
}

void Table::enableControls()
{
    if (d->disabled == 0 || --d->disabled > 0)
        return;
    d->notify([&](TableObserver &o) { o.reset(*this); });
    d->notifyDetails(false);
}

bool Table::controlsDisabled() const
{
    return d->disabled > 0;
}

void Table::setIndexName(const QString &name)
{
    if (d->state == State::Inactive) {
        d->indexName = name;
        return;
    }
    Impl::ActiveKey resolved = d->resolveIndex(name);
    d->checkBrowseMode();
    const quint32 keep = d->cur;
    d->order.clear(); // emptied before the comparator's key changes
    d->indexName = name;
    d->key = std::move(resolved);
    d->rebuildOrder();
    if (d->filtered() || !d->inView(keep))
        d->moveToFirst();
    d->notify([&](TableObserver &o) { o.reset(*this); });
    if (d->cur != keep)
        d->scrolled();
}

const QString &Table::indexName() const
{
    return d->indexName;
}

void Table::setMasterSource(DataSource *master, const QString &masterFields)
{
    if (d->master)
        std::erase(d->master->d->details, this);
    d->master = master ? &master->dataSet() : nullptr;
    d->masterFields = masterFields;
    if (d->master)
        d->master->d->details.push_back(this);
    d->viewValid = false;
    d->followMaster(true);
}

void Table::setCollation(const platform::Collation &collation)
{
    d->collation = collation;
    if (d->state == State::Inactive)
        return;
    d->rebuildOrder();
    d->notify([&](TableObserver &o) { o.reset(*this); });
}

void Table::addObserver(TableObserver *observer)
{
    if (std::find(d->observers.begin(), d->observers.end(), observer) == d->observers.end())
        d->observers.push_back(observer);
}

void Table::removeObserver(TableObserver *observer)
{
    std::erase(d->observers, observer);
}

void Table::withRecord(int viewRow, const std::function<void()> &fn)
{
    d->requireActive();
    d->ensureView();
    const quint32 rec = d->view.at(size_t(viewRow));
    const std::vector<PacketValue> *saved = d->overrideRow;
    d->overrideRow = &d->valuesOf(rec);
    struct Restore {
        Impl &d;
        const std::vector<PacketValue> *saved;
        ~Restore() { d.overrideRow = saved; }
    } restore { *d, saved };
    fn();
}

} // namespace store
