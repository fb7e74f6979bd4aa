#pragma once

#include <QTest>

namespace tk::test {

// One data row, its values in column order: keeps a table to a line a case where a chain of << would not.
template <typename... T>
void Row(const char* name, const T&... values) {
    (QTest::newRow(name) << ... << values);
}

}  // namespace tk::test
