// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

namespace quillon {

// "About Quillon": the picture, the version line and "Close".
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

void ShowAboutBox(QWidget* owner);

}  // namespace quillon
