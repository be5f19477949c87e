#include "dataset.h"
#include "database.h"
#include "error.h"
#include "gbk.h"

#include <cmath>
#include <cstring>

namespace db {

// ---------------------------------------------------------------------------
// Table

void Table::open()
{
    if (isActive())
        return;
    const QString path = resolveTablePath(m_folder, m_table);
    activate(TableFile::open(path, m_exclusive), std::nullopt, false);
}

bool Table::pack()
{
    m_lastError.clear();
    if (!isActive()) {
        m_lastError = QStringLiteral("数据表 %1 未打开").arg(m_table);
        return false;
    }
    try {
        cancel();
        store()->pack();
        first();
        return true;
    } catch (const EngineError &e) {
        m_lastError = e.message();
        return false;
    }
}

} // namespace db
