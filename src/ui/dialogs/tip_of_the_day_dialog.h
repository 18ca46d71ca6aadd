// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <cstdint>

class QCheckBox;

namespace quillon {

class TipArea;

// "Tip of the Day". tipOfTheDay is the option TipOfTheDay: 0 = tips off at
// start-up, otherwise the next tip to show.
class TipOfTheDayDialog : public QDialog {
    Q_OBJECT
public:
    TipOfTheDayDialog(std::int32_t& tipOfTheDay, QWidget* parent = nullptr);

    void nextTip();
    // "Close": the next start shows the following tip, or none when the box
    // is cleared. Escape and the close box leave the number alone.
    void closeKeepingChoice();

private:
    std::int32_t& m_tip;
    TipArea* m_area;
    QCheckBox* m_showOnStartup;
};

void ShowTipOfTheDay(QWidget* owner, std::int32_t& tipOfTheDay);

}  // namespace quillon
