#pragma once

// Values of the printed form that do not print whole, named to the person
// before anything is printed or saved.

#include "report/layout.h"

#include <QString>

#include <vector>

class QWidget;

namespace output {

std::vector<report::Cut> cutsOf(const std::vector<const report::Document *> &docs);
// One line a value: its page, its name and how many characters are lost.
QString describeCuts(const std::vector<report::Cut> &cuts);
// When values do not print whole, names them and asks `question` ("是否仍然
// 打印？"); true when nothing is cut or the person says yes.
bool confirmCuts(QWidget *parent, const std::vector<const report::Document *> &docs, const QString &question);

} // namespace output
