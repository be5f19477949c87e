#include "dataset.h"
#include "database.h"
#include "error.h"
#include "gbk.h"
#include "keyindex.h"

#include <cmath>
#include <cstring>

namespace db {

// ---------------------------------------------------------------------------
// Dataset

Dataset::Dataset(QObject *parent) : QObject(parent) {}
Dataset::~Dataset() = default;

void Dataset::checkActive() const
{
    if (m_state == DatasetState::Inactive)
        throw EngineError(QStringLiteral("数据集 %1 未打开，无法执行此操作").arg(objectName()));
}

const Schema &Dataset::schema() const
{
    static const Schema empty;
    return m_store ? m_store->schema() : empty;
}

QString Dataset::tableName() const
{
    return m_store ? m_store->name() : objectName();
}

QStringList Dataset::warnings() const
{
    return m_store ? m_store->warnings() : QStringList();
}

void Dataset::flush()
{
    if (m_store)
        m_store->sync();
}

void Dataset::activate(std::shared_ptr<TableFile> store, std::optional<QVector<int>> rows, bool readOnly)
{
    m_store = std::move(store);
    m_baseRows = std::move(rows);
    m_readOnly = readOnly;
    m_view.clear();
    m_viewDataGen = m_viewMemberGen = 0;
    m_pos = -1;
    m_curRow = -1;
    try {
        rebuildFilter();
    } catch (...) {
        m_store.reset();
        m_baseRows.reset();
        throw;
    }
    m_state = DatasetState::Browse;
    refreshView();
    m_pos = m_view.isEmpty() ? -1 : 0;
    m_curRow = m_pos >= 0 ? m_view[m_pos] : -1;
    m_bof = true;
    m_eof = m_view.isEmpty();
    emit afterOpen();
    emit stateChanged();
    emit afterScroll();
}

void Dataset::close()
{
    if (m_state == DatasetState::Inactive)
        return;
    m_state = DatasetState::Inactive;
    m_buf.clear();
    m_memoEdits.clear();
    m_store.reset();
    m_baseRows.reset();
    m_view.clear();
    m_pos = m_curRow = -1;
    m_eof = m_bof = true;
    m_filterExpr = BoundExpr();
    emit afterClose();
    emit stateChanged();
}

void Dataset::rebuildFilter()
{
    if (!m_store || m_filterText.trimmed().isEmpty()) {
        m_filterExpr = BoundExpr();
        return;
    }
    m_filterExpr = BoundExpr(parseExpression(m_filterText, ExprMode::Filter), m_store->schema(), m_store->name());
}

bool Dataset::rowPasses(int r) const
{
    if (r < 0 || r >= m_store->rowCount() || m_store->isDeleted(r))
        return false;
    if (!m_filtered || m_filterExpr.isEmpty())
        return true;
    return m_filterExpr.matches(RecordRow(*m_store, m_store->row(r)));
}

void Dataset::refreshView() const
{
    if (!m_store)
        return;
    const bool useFilter = m_filtered && !m_filterExpr.isEmpty();
    const quint64 dg = m_store->dataGeneration();
    const quint64 mg = m_store->membershipGeneration();
    if (mg == m_viewMemberGen && (!useFilter || dg == m_viewDataGen))
        return;
    QVector<int> v;
    if (m_baseRows) {
        v.reserve(m_baseRows->size());
        for (int r : *m_baseRows)
            if (rowPasses(r))
                v.append(r);
    } else if (const QVector<int> *candidates =
                   useFilter ? indexedCandidates(*m_store, m_filterExpr, nullptr) : nullptr) {
        for (int r : *candidates)
            if (rowPasses(r))
                v.append(r);
    } else {
        const int n = m_store->rowCount();
        v.reserve(n);
        for (int r = 0; r < n; ++r)
            if (rowPasses(r))
                v.append(r);
    }
    m_view = std::move(v);
    m_viewDataGen = dg;
    m_viewMemberGen = mg;
    // Keep the cursor on its row; if that row left the view, the row that
    // took its place becomes current.
    if (m_curRow >= 0) {
        int idx = int(m_view.indexOf(m_curRow));
        if (idx < 0)
            idx = qMin(m_pos, int(m_view.size()) - 1);
        m_pos = idx;
    } else {
        m_pos = m_view.isEmpty() ? -1 : qMin(qMax(m_pos, 0), int(m_view.size()) - 1);
    }
    m_curRow = m_pos >= 0 ? m_view[m_pos] : -1;
}

int Dataset::recordCount() const
{
    if (!m_store)
        return 0;
    refreshView();
    return int(m_view.size());
}

int Dataset::recNo() const
{
    refreshView();
    return m_pos + 1;
}

bool Dataset::eof() const
{
    refreshView();
    return m_view.isEmpty() || m_eof;
}

bool Dataset::bof() const
{
    refreshView();
    return m_view.isEmpty() || m_bof;
}

int Dataset::currentRow() const
{
    refreshView();
    return m_curRow;
}

void Dataset::leaveEditState()
{
    if (m_state == DatasetState::Edit || m_state == DatasetState::Insert)
        cancel();
}

void Dataset::setPos(int pos, bool emitScroll)
{
    const int oldRow = m_curRow;
    m_pos = pos;
    m_curRow = (pos >= 0 && pos < m_view.size()) ? m_view[pos] : -1;
    if (emitScroll && m_curRow != oldRow)
        emit afterScroll();
}

void Dataset::first()
{
    checkActive();
    leaveEditState();
    refreshView();
    setPos(m_view.isEmpty() ? -1 : 0);
    m_bof = true;
    m_eof = m_view.isEmpty();
}

void Dataset::last()
{
    checkActive();
    leaveEditState();
    refreshView();
    setPos(int(m_view.size()) - 1);
    m_eof = true;
    m_bof = m_view.isEmpty();
}

void Dataset::next()
{
    checkActive();
    leaveEditState();
    refreshView();
    if (m_pos + 1 < m_view.size()) {
        setPos(m_pos + 1);
        m_bof = false;
        m_eof = false;
    } else {
        m_eof = true;
    }
}

void Dataset::prior()
{
    checkActive();
    leaveEditState();
    refreshView();
    if (m_pos > 0) {
        setPos(m_pos - 1);
        m_bof = false;
        m_eof = false;
    } else {
        m_bof = true;
    }
}

int Dataset::moveBy(int distance)
{
    checkActive();
    leaveEditState();
    refreshView();
    if (m_view.isEmpty())
        return 0;
    const int target = qBound(0, m_pos + distance, int(m_view.size()) - 1);
    const int moved = target - m_pos;
    if (distance > 0 && m_pos + distance >= m_view.size())
        m_eof = true;
    else if (distance < 0 && m_pos + distance < 0)
        m_bof = true;
    else
        m_eof = m_bof = false;
    if (moved > 0)
        m_bof = false;
    if (moved < 0)
        m_eof = false;
    setPos(target);
    return moved;
}

void Dataset::setCursorToRow(int physicalRow, bool emitScroll)
{
    refreshView();
    int idx = int(m_view.indexOf(physicalRow));
    if (idx < 0)
        idx = m_view.isEmpty() ? -1 : int(m_view.size()) - 1;
    setPos(idx, emitScroll);
    m_eof = m_bof = m_view.isEmpty();
}

Value Dataset::valueAt(int position, int field) const
{
    if (!m_store)
        return Value();
    refreshView();
    if (position < 0 || position >= m_view.size())
        return Value();
    if (position == m_pos)
        return currentValue(field);
    const int n = m_store->schema().count();
    if (field >= n) {
        const Lookup &l = m_lookups.at(field - n);
        const int ki = schema().indexOf(l.keyField);
        return ki < 0 ? Value() : lookupValue(field, m_store->fieldValue(m_store->row(m_view[position]), ki));
    }
    return m_store->fieldValue(m_store->row(m_view[position]), field);
}

void Dataset::moveToPosition(int position)
{
    checkActive();
    refreshView();
    if (position < 0 || position >= m_view.size() || position == m_pos)
        return;
    leaveEditState();
    setPos(position);
    m_eof = m_bof = false;
}

bool Dataset::gotoRow(int physicalRow)
{
    checkActive();
    refreshView();
    const int idx = int(m_view.indexOf(physicalRow));
    if (idx < 0)
        return false;
    leaveEditState();
    setPos(idx);
    m_eof = m_bof = false;
    return true;
}

bool Dataset::locate(const QString &fieldName, const QString &value, bool partial)
{
    checkActive();
    const int fi = schema().indexOf(fieldName);
    if (fi < 0)
        throw EngineError(QStringLiteral("数据表 %2 中没有字段“%1”").arg(fieldName, tableName()));
    refreshView();
    const FieldDef &f = schema().fields[fi];
    QByteArray want;
    gbk::encode(value, want);
    while (want.endsWith(' '))
        want.chop(1);
    double num = 0;
    const bool isNum = parseNumber(value, num);
    QDate date = QDate::fromString(value.trimmed(), QStringLiteral("yyyy-MM-dd"));
    for (int i = 0; i < m_view.size(); ++i) {
        const char *rec = m_store->row(m_view[i]);
        bool hit = false;
        if (f.kind == FieldKind::Text) {
            QByteArrayView t = m_store->fieldText(rec, fi);
            hit = partial ? t.startsWith(want) : t == QByteArrayView(want);
        } else if (f.isNumeric()) {
            Value v = m_store->fieldValue(rec, fi);
            hit = isNum && v.type == Value::Type::Number && v.number == num;
        } else if (f.kind == FieldKind::Date) {
            Value v = m_store->fieldValue(rec, fi);
            hit = v.type == Value::Type::Date && v.date == date;
        } else {
            QByteArray t = m_store->fieldValue(rec, fi).toBytes();
            hit = partial ? t.startsWith(want) : t == want;
        }
        if (hit) {
            leaveEditState();
            setPos(i);
            m_eof = m_bof = false;
            return true;
        }
    }
    return false;
}

bool Dataset::locate(const QString &fieldName, qint64 value)
{
    return locate(fieldName, QString::number(value), false);
}

const char *Dataset::currentRecord() const
{
    if (m_state == DatasetState::Edit || m_state == DatasetState::Insert)
        return m_buf.constData();
    refreshView();
    if (m_curRow < 0)
        return nullptr;
    return m_store->row(m_curRow);
}

void Dataset::edit()
{
    checkActive();
    if (m_state == DatasetState::Edit || m_state == DatasetState::Insert)
        return;
    if (isReadOnlyResult())
        throw EngineError(QStringLiteral("数据表 %1 的查询结果不能修改").arg(tableName()));
    refreshView();
    if (m_curRow < 0)
        throw EngineError(QStringLiteral("数据表 %1 中没有可编辑的记录").arg(tableName()));
    m_buf = QByteArray(m_store->row(m_curRow), m_store->schema().recordLength);
    m_memoEdits.clear();
    m_state = DatasetState::Edit;
    emit stateChanged();
}

void Dataset::append()
{
    checkActive();
    if (isReadOnlyResult())
        throw EngineError(QStringLiteral("数据表 %1 的查询结果不能修改").arg(tableName()));
    leaveEditState();
    m_buf = blankRecord(m_store->schema());
    m_memoEdits.clear();
    m_state = DatasetState::Insert;
    emit stateChanged();
}

bool Dataset::viewUpToDate() const
{
    const bool useFilter = m_filtered && !m_filterExpr.isEmpty();
    return m_viewMemberGen == m_store->membershipGeneration()
           && (!useFilter || m_viewDataGen == m_store->dataGeneration());
}

void Dataset::markViewCurrent() const
{
    m_viewDataGen = m_store->dataGeneration();
    m_viewMemberGen = m_store->membershipGeneration();
}

void Dataset::post()
{
    checkActive();
    if (m_state == DatasetState::Browse)
        return;
    beforePostHook();
    // A view that was current before the write is updated in place, so loops
    // of posts do not rebuild it row after row.
    const bool current = viewUpToDate();
    if (m_state == DatasetState::Edit) {
        if (m_curRow < 0 || m_curRow >= m_store->rowCount() || m_store->isDeleted(m_curRow))
            throw EngineError(QStringLiteral("数据表 %1 中正在编辑的记录已被删除").arg(tableName()));
        m_store->writeRow(m_curRow, m_buf, m_memoEdits);
        m_state = DatasetState::Browse;
        m_buf.clear();
        m_memoEdits.clear();
        const int row = m_curRow;
        if (current) {
            if (!rowPasses(row)) {
                m_view.remove(m_pos);
                m_pos = qMin(m_pos, int(m_view.size()) - 1);
                m_curRow = m_pos >= 0 ? m_view[m_pos] : -1;
            }
            markViewCurrent();
        } else {
            refreshView();
        }
        if (m_curRow != row)
            emit afterScroll();
    } else {
        const int row = m_store->appendRow(m_buf, m_memoEdits);
        m_state = DatasetState::Browse;
        m_buf.clear();
        m_memoEdits.clear();
        if (m_baseRows)
            m_baseRows->append(row);
        if (current) {
            if (rowPasses(row))
                m_view.append(row);
            markViewCurrent();
            m_pos = int(m_view.size()) - 1;
            m_curRow = m_pos >= 0 ? m_view[m_pos] : -1;
        } else {
            m_curRow = row;
            setCursorToRow(row, false);
        }
        m_eof = m_bof = m_view.isEmpty();
        emit afterScroll();
    }
    emit stateChanged();
    emit afterPost();
}

void Dataset::cancel()
{
    if (m_state != DatasetState::Edit && m_state != DatasetState::Insert)
        return;
    m_state = DatasetState::Browse;
    m_buf.clear();
    m_memoEdits.clear();
    emit stateChanged();
    emit afterCancel();
}

void Dataset::deleteRecord()
{
    checkActive();
    if (m_state == DatasetState::Insert) {
        cancel();
        return;
    }
    if (isReadOnlyResult())
        throw EngineError(QStringLiteral("数据表 %1 的查询结果不能修改").arg(tableName()));
    leaveEditState();
    refreshView();
    if (m_curRow < 0)
        throw EngineError(QStringLiteral("数据表 %1 中没有可删除的记录").arg(tableName()));
    beforeDeleteHook();
    const bool current = viewUpToDate();
    const int oldPos = m_pos;
    m_store->setDeleted(m_curRow, true);
    if (current) {
        m_view.remove(oldPos);
        markViewCurrent();
        m_pos = qMin(oldPos, int(m_view.size()) - 1);
        m_curRow = m_pos >= 0 ? m_view[m_pos] : -1;
    } else {
        m_curRow = -1;
        m_pos = oldPos;
        refreshView();
    }
    m_eof = m_view.isEmpty();
    m_bof = m_view.isEmpty();
    emit afterDelete();
    emit afterScroll();
}

int Dataset::fieldCount() const
{
    return schema().count() + int(m_lookups.size());
}

QStringList Dataset::fieldNames() const
{
    QStringList names;
    for (const FieldDef &f : schema().fields)
        names << f.name;
    for (const Lookup &l : m_lookups)
        names << l.name;
    return names;
}

std::optional<Field> Dataset::findField(const QString &name)
{
    int i = schema().indexOf(name);
    if (i >= 0)
        return Field(this, i);
    for (int j = 0; j < m_lookups.size(); ++j)
        if (m_lookups[j].name.compare(name, Qt::CaseInsensitive) == 0)
            return Field(this, schema().count() + j);
    return std::nullopt;
}

Field Dataset::fieldByName(const QString &name)
{
    if (auto f = findField(name))
        return *f;
    throw EngineError(QStringLiteral("数据表 %2 中没有字段“%1”").arg(name, tableName()));
}

Field Dataset::field(int index)
{
    if (index < 0 || index >= fieldCount())
        throw EngineError(QStringLiteral("字段序号 %1 超出了数据表 %2 的字段范围").arg(index).arg(tableName()));
    return Field(this, index);
}

void Dataset::setFilter(const QString &filter)
{
    if (filter == m_filterText)
        return;
    if (m_store && !filter.trimmed().isEmpty()) {
        // Check the text before anything changes.
        BoundExpr(parseExpression(filter, ExprMode::Filter), m_store->schema(), m_store->name());
    }
    m_filterText = filter;
    if (m_state != DatasetState::Inactive) {
        rebuildFilter();
        m_viewMemberGen = 0;
        if (m_filtered)
            first();
    }
}

void Dataset::setFiltered(bool on)
{
    if (on == m_filtered)
        return;
    m_filtered = on;
    if (m_state != DatasetState::Inactive) {
        m_viewMemberGen = 0;
        first();
    }
}

void Dataset::addLookupField(const QString &name, const QString &label, const QString &keyField,
                             Dataset *lookup, const QString &lookupKeyField, const QString &resultField)
{
    Lookup l;
    l.name = name;
    l.label = label;
    l.keyField = keyField;
    l.dataset = lookup;
    l.lookupKeyField = lookupKeyField;
    l.resultField = resultField;
    m_labels.insert(name.toLower(), label);
    m_lookups.append(l);
}

QString Dataset::displayLabel(const QString &fieldName) const
{
    return m_labels.value(fieldName.toLower(), fieldName);
}

Value Dataset::lookupValue(int index, const Value &key) const
{
    const Lookup &l = m_lookups.at(index - schema().count());
    if (key.isNull() || !l.dataset || !l.dataset->isActive())
        return Value();
    const Dataset *ld = l.dataset;
    const int lk = ld->schema().indexOf(l.lookupKeyField);
    const int lr = ld->schema().indexOf(l.resultField);
    if (lk < 0 || lr < 0)
        return Value();
    ld->refreshView();
    for (int r : ld->m_view) {
        const char *rec = ld->m_store->row(r);
        if (compareValues(ld->m_store->fieldValue(rec, lk), key) == 0)
            return ld->m_store->fieldValue(rec, lr);
    }
    return Value();
}

Value Dataset::currentValue(int index) const
{
    const int n = schema().count();
    if (index >= n) {
        const Lookup &l = m_lookups.at(index - n);
        const int ki = schema().indexOf(l.keyField);
        return ki < 0 ? Value() : lookupValue(index, currentValue(ki));
    }
    if (index < 0)
        return Value();
    const char *rec = currentRecord();
    if (!rec)
        return Value();
    if ((m_state == DatasetState::Edit || m_state == DatasetState::Insert) && m_memoEdits.contains(index)) {
        const QByteArray &t = m_memoEdits[index];
        return t.isEmpty() ? Value() : Value::fromBytes(t);
    }
    return m_store->fieldValue(rec, index);
}

void Dataset::setCurrentValue(int index, const Value &v)
{
    checkActive();
    if (index >= schema().count())
        throw EngineError(QStringLiteral("数据表 %2 的字段 %1 不能修改").arg(fieldNames().value(index), tableName()));
    if (m_state != DatasetState::Edit && m_state != DatasetState::Insert)
        throw EngineError(QStringLiteral("数据表 %1 不在编辑或新增状态").arg(tableName()));
    const FieldDef &f = schema().fields[index];
    if (f.kind == FieldKind::Memo) {
        m_memoEdits.insert(index, v.isNull() ? QByteArray() : v.toBytes());
        return;
    }
    encodeFieldValue(*m_store, m_buf.data(), index, v);
}

} // namespace db
