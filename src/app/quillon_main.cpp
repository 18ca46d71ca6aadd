// SPDX-License-Identifier: MIT
#include <QApplication>

#include "ui/application.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setOrganizationName(QStringLiteral("Morvane"));
    return quillon::RunApplication(QApplication::arguments());
}
