#pragma once

#include <QSet>
#include <QString>

// Names of record fields: what a change mark holds.
using FieldSet = QSet<QString>;
