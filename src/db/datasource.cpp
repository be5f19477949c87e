#include "dataset.h"
#include "database.h"
#include "error.h"
#include "gbk.h"

#include <cmath>
#include <cstring>

namespace db {

// ---------------------------------------------------------------------------

void DataSource::setDataSet(Dataset *ds)
{
    if (ds == m_ds)
        return;
    m_ds = ds;
    emit dataSetChanged();
}

} // namespace db
