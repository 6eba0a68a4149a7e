#include <QHeaderView>
#include <QSpinBox>
#include <QTableWidget>

#include "app/main.h"

namespace {
constexpr int kLogRows = 15;  // below the header row
constexpr int kLogColumns = 10;
}  // namespace

void TForm1::SetLogHeaders() {
    SE1->setValue(1);
    SG->clearContents();
    SG->setRowCount(kLogRows);
    SG->setColumnCount(kLogColumns);
    QStringList headers;
    for (int i = 1; i <= kLogColumns; ++i)
        headers << QString::fromStdString(lexicons.D2.GetItem(i));
    SG->setHorizontalHeaderLabels(headers);
}
