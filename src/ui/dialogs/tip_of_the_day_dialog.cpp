// SPDX-License-Identifier: MIT
#include "ui/dialogs/tip_of_the_day_dialog.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/centre_on_parent.h"
#include "ui/dialogs/quillon_art.h"
#include "ui/dialogs/tips.h"

namespace quillon {

// The painted part: a shaded strip with the bulb, the heading and the tip.
class TipArea : public QWidget {
public:
    explicit TipArea(std::int32_t& tip, QWidget* parent) : QWidget(parent), m_tip(tip) {
        setObjectName(QStringLiteral("TipArea"));
        m_heading = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        m_heading.setPixelSize(24);
        m_heading.setBold(true);
        m_text = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        m_text.setPixelSize(16);
        setMinimumSize(420, 230);
    }

    QString currentText() const {
        m_tip = ValidTip(m_tip);
        return QString::fromUtf16(TipText(m_tip).data(), qsizetype(TipText(m_tip).size()));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QPalette& pal = palette();
        const int strip = 56;
        const int headingHeight = QFontMetrics(m_heading).height() + 28;
        p.fillRect(QRect(0, 0, strip, height()), pal.color(QPalette::Dark));
        p.drawPixmap(12, 6, TipIcon(32));
        const QRect headingArea(strip, 0, width() - strip, headingHeight);
        const QRect tipArea(strip, headingHeight, width() - strip, height() - headingHeight);
        p.fillRect(headingArea, pal.color(QPalette::Base));
        p.fillRect(tipArea, pal.color(QPalette::Base));
        p.setPen(pal.color(QPalette::Mid));
        p.drawLine(tipArea.topLeft() + QPoint(10, 0), tipArea.topRight() - QPoint(10, 0));
        p.setPen(pal.color(QPalette::Text));
        p.setFont(m_heading);
        p.drawText(headingArea.adjusted(12, 20, -4, -8), Qt::TextWordWrap, QStringLiteral("Did you know..."));
        p.setFont(m_text);
        p.drawText(tipArea.adjusted(10, 6, -10, -6), Qt::TextWordWrap, currentText());
    }

private:
    std::int32_t& m_tip;
    QFont m_heading;
    QFont m_text;
};

TipOfTheDayDialog::TipOfTheDayDialog(std::int32_t& tipOfTheDay, QWidget* parent)
    : QDialog(parent),
      m_tip(tipOfTheDay),
      m_area(new TipArea(tipOfTheDay, this)),
      m_showOnStartup(new QCheckBox(QStringLiteral("Show tips on startup"), this)) {
    setWindowTitle(QStringLiteral("Tip of the Day"));
    setObjectName(QStringLiteral("TipOfTheDayDialog"));
    CentreWhenShown(this);
    m_showOnStartup->setObjectName(QStringLiteral("ShowTipsOnStartup"));
    // Opened from the Help menu while tips are off: the tips start again from
    // the first one, and stay on unless the box is left cleared on "Close".
    if (m_tip == 0) {
        m_tip = kFirstTip;
        m_showOnStartup->setChecked(false);
    } else {
        m_showOnStartup->setChecked(true);
    }
    auto* next = new QPushButton(QStringLiteral("Next Tip"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    next->setObjectName(QStringLiteral("NextTip"));
    close->setObjectName(QStringLiteral("Close"));
    close->setDefault(true);
    connect(next, &QPushButton::clicked, this, &TipOfTheDayDialog::nextTip);
    connect(close, &QPushButton::clicked, this, &TipOfTheDayDialog::closeKeepingChoice);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_showOnStartup);
    buttons->addStretch();
    buttons->addWidget(next);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_area, 1);
    layout->addLayout(buttons);
}

void TipOfTheDayDialog::nextTip() {
    m_tip = NextTip(m_tip);
    m_area->update();
}

void TipOfTheDayDialog::closeKeepingChoice() {
    m_tip = m_showOnStartup->isChecked() ? NextTip(m_tip) : 0;
    accept();
}

void ShowTipOfTheDay(QWidget* owner, std::int32_t& tipOfTheDay) {
    TipOfTheDayDialog dialog(tipOfTheDay, owner);
    dialog.exec();
}

}  // namespace quillon
