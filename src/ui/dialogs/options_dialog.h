// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QFont>
#include <QString>
#include <functional>
#include <memory>

#include "ui/dialogs/difference_colors.h"
#include "ui/dialogs/options_decision.h"

class QBoxLayout;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QStackedWidget;

namespace quillon {

struct Options;
class ColorExample;
class ColorSample;

// What the Options dialog needs from the rest of the program.
struct OptionsDialogServices {
    // The settings-store save made on OK (the options saved in both saves).
    std::function<void(const Options&)> saveSettings;
    // Writes the options section of a settings file; false when the file
    // could not be written. Unset: the settings module's writer.
    std::function<bool(const QString& path, const Options&)> writeOptionsFile;
    // The panes' font and item height, for the colour example.
    QFont paneFont;
    int itemHeight = 0;
};

// "XML Options": a page list and seven pages over the options record and a
// working copy of the difference colours.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    enum Page { Validation, Comparison, Normalization, OutputFile, View, Colors, Advanced, PageCount };

    OptionsDialog(Options& options, const DifferenceColors& colors, bool documentLoaded, OptionsDialogServices services,
                  QWidget* parent = nullptr);
    ~OptionsDialog() override;

    const DifferenceColors& workingColors() const { return m_colors; }
    int currentPage() const;
    void setCurrentPage(int page);
    static QString pageTopic(int page);

    // Shows the options in the controls.
    void loadControls();
    // Writes the controls back into the options (OK and "Save").
    void readControls();

private:
    QWidget* buildValidationPage();
    QWidget* buildComparisonPage();
    QWidget* buildNormalizationPage();
    QWidget* buildOutputPage();
    QWidget* buildViewPage();
    QWidget* buildColorsPage();
    QWidget* buildAdvancedPage();
    QCheckBox* addCheck(const char* name, const QString& text, const QString& help);
    // A check box showing the option field, added to layout.
    template <typename T>
    QCheckBox* addBoundCheck(QBoxLayout* layout, const char* name, const QString& text, const QString& help,
                             T Options::*field);

    void fillEncodingNames(int family);
    void changeColor();
    void browseApplication();
    void onOk();
    void onSave();
    void onDefault();
    void repaintSamples();

    struct CheckBindings;

    Options& m_options;
    std::unique_ptr<CheckBindings> m_checks;
    DifferenceColors m_colors;
    const bool m_documentLoaded;
    OptionsDialogServices m_services;

    QListWidget* m_pageList = nullptr;
    QStackedWidget* m_pages = nullptr;
    QComboBox* m_schemaValidation = nullptr;
    QButtonGroup* m_level = nullptr;
    QButtonGroup* m_dateCode = nullptr;
    QCheckBox* m_normalize = nullptr;
    QSpinBox* m_decimalPlaces = nullptr;
    QCheckBox* m_openAfterSave = nullptr;
    QLineEdit* m_application = nullptr;
    QPushButton* m_browse = nullptr;
    QComboBox* m_encoding = nullptr;
    QComboBox* m_encodingName = nullptr;
    QButtonGroup* m_endOfLine = nullptr;
    QComboBox* m_colorList = nullptr;
    ColorSample* m_sample = nullptr;
    ColorExample* m_example = nullptr;
};

// Runs the dialog over the options and the painter's colours. On OK the
// working colours replace painterColors and the result says what the main
// window does next; on Cancel the result is AfterOptions::Nothing.
OptionsOutcome ShowOptionsDialog(QWidget* owner, Options& options, DifferenceColors& painterColors, bool documentLoaded,
                                 const OptionsDialogServices& services);

}  // namespace quillon
