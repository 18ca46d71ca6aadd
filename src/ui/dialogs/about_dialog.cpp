// SPDX-License-Identifier: MIT
#include "ui/dialogs/about_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/centre_on_parent.h"
#include "ui/dialogs/quillon_art.h"

namespace quillon {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Quillon"));
    setObjectName(QStringLiteral("AboutDialog"));
    CentreWhenShown(this);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture"));
    picture->setPixmap(QuillonPicture(48));
    picture->setFixedSize(48, 48);
    auto* version = new QLabel(QStringLiteral("Quillon Version 4.71"), this);
    version->setObjectName(QStringLiteral("Version"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Close"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addWidget(version, 1, Qt::AlignVCenter);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ShowAboutBox(QWidget* owner) {
    AboutDialog dialog(owner);
    dialog.exec();
}

}  // namespace quillon
