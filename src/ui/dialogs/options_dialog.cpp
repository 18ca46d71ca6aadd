// SPDX-License-Identifier: MIT
#include "ui/dialogs/options_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <vector>

#include "output/options_file.h"
#include "platform/notifier.h"
#include "settings/encoding_names.h"
#include "settings/options.h"
#include "ui/dialogs/centre_on_parent.h"
#include "ui/dialogs/color_samples.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/dialogs/help.h"

namespace quillon {
namespace {

QString q(std::u16string_view s) {
    return QString::fromUtf16(s.data(), qsizetype(s.size()));
}

// One check box and the option it shows. Bools of every width read as
// "nonzero" and are written as 0 or 1.
struct CheckBinding {
    QCheckBox* box;
    std::function<bool(const Options&)> get;
    std::function<void(Options&, bool)> set;
};

template <typename T>
CheckBinding bind(QCheckBox* box, T Options::*field) {
    return {box, [field](const Options& o) { return o.*field != 0; },
            [field](Options& o, bool on) { o.*field = T(on ? 1 : 0); }};
}

QButtonGroup* radioGroup(QWidget* owner, QBoxLayout* layout, const char* prefix, const QStringList& texts,
                         const QStringList& help) {
    auto* group = new QButtonGroup(owner);
    for (int i = 0; i < texts.size(); ++i) {
        auto* radio = new QRadioButton(texts[i], owner);
        radio->setObjectName(QString::fromLatin1(prefix) + QString::number(i));
        radio->setWhatsThis(help.value(i));
        group->addButton(radio, i);
        layout->addWidget(radio);
    }
    return group;
}

void selectRadio(QButtonGroup* group, std::uint32_t value) {
    if (QAbstractButton* b = group->button(int(value))) {
        b->setChecked(true);
        return;
    }
    // A stored value outside the group: no radio, and reading keeps the value.
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(false);
    group->setExclusive(true);
}

QGroupBox* group(const QString& title, QLayout* layout) {
    auto* box = new QGroupBox(title);
    box->setLayout(layout);
    return box;
}

}  // namespace

struct OptionsDialog::CheckBindings {
    std::vector<CheckBinding> list;
};

OptionsDialog::OptionsDialog(Options& options, const DifferenceColors& colors, bool documentLoaded,
                             OptionsDialogServices services, QWidget* parent)
    : QDialog(parent),
      m_options(options),
      m_checks(std::make_unique<CheckBindings>()),
      m_colors(colors),
      m_documentLoaded(documentLoaded),
      m_services(std::move(services)) {
    setWindowTitle(QStringLiteral("XML Options"));
    setObjectName(QStringLiteral("OptionsDialog"));
    CentreWhenShown(this);

    m_pageList = new QListWidget(this);
    m_pageList->setObjectName(QStringLiteral("PageList"));
    for (const char* name : {"Validation", "Comparison", "Normalization", "Output file", "View", "Colors", "Advanced"})
        m_pageList->addItem(QStringLiteral("   ") + QString::fromLatin1(name));
    m_pageList->setFixedWidth(m_pageList->sizeHintForColumn(0) + 24);

    m_pages = new QStackedWidget(this);
    m_pages->addWidget(buildValidationPage());
    m_pages->addWidget(buildComparisonPage());
    m_pages->addWidget(buildNormalizationPage());
    m_pages->addWidget(buildOutputPage());
    m_pages->addWidget(buildViewPage());
    m_pages->addWidget(buildColorsPage());
    m_pages->addWidget(buildAdvancedPage());
    connect(m_pageList, &QListWidget::currentRowChanged, m_pages, &QStackedWidget::setCurrentIndex);
    m_pageList->setCurrentRow(0);

    auto* save = new QPushButton(QStringLiteral("Save"), this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* reset = new QPushButton(QStringLiteral("Default"), this);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    save->setObjectName(QStringLiteral("Save"));
    ok->setObjectName(QStringLiteral("OK"));
    cancel->setObjectName(QStringLiteral("Cancel"));
    reset->setObjectName(QStringLiteral("Default"));
    help->setObjectName(QStringLiteral("Help"));
    save->setWhatsThis(
        QStringLiteral("Writes the options shown into a settings file of your choice. "
                       "The dialog stays open."));
    reset->setWhatsThis(
        QStringLiteral("On the Colors page: puts back the default colours. On any other page: "
                       "puts every option back to its default value."));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &OptionsDialog::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(save, &QPushButton::clicked, this, &OptionsDialog::onSave);
    connect(reset, &QPushButton::clicked, this, &OptionsDialog::onDefault);
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpTopic(this, pageTopic(currentPage())); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {save, ok, cancel, reset, help}) buttons->addWidget(b);

    auto* body = new QHBoxLayout;
    body->addWidget(m_pageList);
    body->addWidget(m_pages, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    InstallContextHelp(this, [this] { return pageTopic(currentPage()); });
    loadControls();
}

OptionsDialog::~OptionsDialog() = default;

QCheckBox* OptionsDialog::addCheck(const char* name, const QString& text, const QString& help) {
    auto* box = new QCheckBox(text, this);
    box->setObjectName(QString::fromLatin1(name));
    box->setWhatsThis(help);
    return box;
}

template <typename T>
QCheckBox* OptionsDialog::addBoundCheck(QBoxLayout* layout, const char* name, const QString& text, const QString& help,
                                        T Options::*field) {
    QCheckBox* box = addCheck(name, text, help);
    m_checks->list.push_back(bind(box, field));
    layout->addWidget(box);
    return box;
}

QWidget* OptionsDialog::buildValidationPage() {
    auto* schema = new QVBoxLayout;
    addBoundCheck(schema, "DoSchema", QStringLiteral("Schema checking"),
                  QStringLiteral("Processes the XML schema named by a document while it loads."), &Options::DoSchema);
    addBoundCheck(schema, "SchemaFullChecking", QStringLiteral("Full schema checking"),
                  QStringLiteral("Also checks the schema itself for constraint errors. This takes more time."),
                  &Options::SchemaFullChecking);
    addBoundCheck(schema, "DoNamespaces", QStringLiteral("Name spaces"),
                  QStringLiteral("Processes name spaces while a document loads."), &Options::DoNamespaces);
    addBoundCheck(schema, "ContinueAfterFatalError", QStringLiteral("Continue after fatal error"),
                  QStringLiteral("Goes on reading a document after a fatal error instead of stopping at it."),
                  &Options::ContinueAfterFatalError);
    addBoundCheck(schema, "ResolveEntities", QStringLiteral("Read external entities"),
                  QStringLiteral("Reads the files that a document's external entities name (local files only, "
                                 "unless the document itself came from the network). Off, their references "
                                 "stay in the text as written."),
                  &Options::ResolveEntities);
    addBoundCheck(schema, "ValidationErrorAsFatal", QStringLiteral("Validation error as fatal"),
                  QStringLiteral("Treats every validation error as a fatal error, so the document is not loaded."),
                  &Options::ValidationErrorAsFatal);
    m_schemaValidation = new QComboBox(this);
    m_schemaValidation->setObjectName(QStringLiteral("SchemaValidation"));
    m_schemaValidation->addItems({QStringLiteral("Auto"), QStringLiteral("Never"), QStringLiteral("Always")});
    m_schemaValidation->setWhatsThis(QStringLiteral(
        "Auto validates a document that names a schema or DTD, Never does not validate, Always validates every "
        "document."));
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Schema validation:"), this);
    label->setBuddy(m_schemaValidation);
    row->addWidget(label);
    row->addWidget(m_schemaValidation);
    row->addStretch();
    schema->addLayout(row);

    auto* messages = new QVBoxLayout;
    addBoundCheck(messages, "WriteMessages", QStringLiteral("Write messages to log file"),
                  QStringLiteral("Writes the parser's warnings and errors into a log file next to the document "
                                 "(its name with \".log\" appended)."),
                  &Options::WriteMessages);
    addBoundCheck(messages, "DisplayMessages", QStringLiteral("Display messages"),
                  QStringLiteral("Shows the parser's warnings and errors in message boxes while a document loads."),
                  &Options::DisplayMessages);

    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group(QStringLiteral("XML Schema Validation"), schema));
    layout->addWidget(group(QStringLiteral("Error messages"), messages));
    layout->addStretch();
    return page;
}

QWidget* OptionsDialog::buildComparisonPage() {
    auto& b = m_checks->list;
    auto* comparison = new QVBoxLayout;
    QCheckBox* c;
    c = addCheck("CaseSensitive", QStringLiteral("Case sensitive"),
                 QStringLiteral("Compares texts and attribute values with regard to upper and lower case."));
    b.push_back({c, [](const Options& o) { return (o.FlagComparsion & kIgnoreCaseBit) == 0; }, {}});
    comparison->addWidget(c);
    addBoundCheck(comparison, "UniqueAttributes", QStringLiteral("Unique attributes"),
                  QStringLiteral("Pairs repeated elements by their attributes first."), &Options::UniqueAttributes);
    addBoundCheck(comparison, "PairRelatedOnly", QStringLiteral("Pair only related elements"),
                  QStringLiteral("Repeated elements pair by a key attribute found in them (shown in the status bar), "
                                 "and leftovers that have nothing in common are reported deleted and added."),
                  &Options::PairRelatedOnly);
    c = addCheck("IgnoreWhiteSpaces", QStringLiteral("Ignore white spaces"),
                 QStringLiteral("Blanks, tabs and line breaks inside texts and values do not count."));
    b.push_back({c, [](const Options& o) { return (o.FlagComparsion & kIgnoreWhiteSpaceBit) != 0; }, {}});
    comparison->addWidget(c);
    addBoundCheck(comparison, "IgnoreAttributes", QStringLiteral("Ignore attributes"),
                  QStringLiteral("Attributes are not compared at all."), &Options::IgnoreAttributes);
    addBoundCheck(comparison, "IgnoreValues", QStringLiteral("Ignore content"),
                  QStringLiteral("The texts of elements are not compared; only names, attributes and structure."),
                  &Options::IgnoreValues);
    addBoundCheck(comparison, "IgnoreOrderElements", QStringLiteral("Ignore order of Elements"),
                  QStringLiteral("Children are paired regardless of the order in which they stand."),
                  &Options::IgnoreOrderElements);
    addBoundCheck(comparison, "IgnoreNamespaces", QStringLiteral("Ignore Namespaces"),
                  QStringLiteral("Elements and attributes are known by their local names, without prefix. Takes "
                                 "effect when the documents are loaded again."),
                  &Options::IgnoreNamespaces);
    comparison->addStretch();

    auto* mode = new QVBoxLayout;
    m_level =
        radioGroup(this, mode, "CompareLevel",
                   {QStringLiteral("Strict"), QStringLiteral("Fast"), QStringLiteral("Normal"), QStringLiteral("Full")},
                   {QStringLiteral("Pairs elements only in the order they stand: the fastest mode."),
                    QStringLiteral("Searches a few partners for unpaired elements."),
                    QStringLiteral("Searches more partners for unpaired elements."),
                    QStringLiteral("Searches every possible partner: the most thorough and slowest mode.")});
    mode->addStretch();

    auto* page = new QWidget(this);
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(group(QStringLiteral("Comparison"), comparison), 2);
    layout->addWidget(group(QStringLiteral("Mode"), mode), 1);
    return page;
}

QWidget* OptionsDialog::buildNormalizationPage() {
    auto* date = new QVBoxLayout;
    m_dateCode = radioGroup(this, date, "NormalizeDate",
                            {QStringLiteral("None"), QStringLiteral("Date And Time"), QStringLiteral("Only Date"),
                             QStringLiteral("Only Time")},
                            {QStringLiteral("Dates are compared as written."),
                             QStringLiteral("Dates and times in different notations compare equal when they name the "
                                            "same moment."),
                             QStringLiteral("Only the date part of a date and time counts."),
                             QStringLiteral("Only the time part of a date and time counts.")});

    auto* number = new QVBoxLayout;
    m_normalize = addCheck("NormalizeNumber", QStringLiteral("Normalize"),
                           QStringLiteral("Numbers in different notations (1.50, 1.5, 15E-1) compare equal."));
    m_checks->list.push_back(bind(m_normalize, &Options::NormalizeNumber));
    number->addWidget(m_normalize);
    m_decimalPlaces = new QSpinBox(this);
    m_decimalPlaces->setObjectName(QStringLiteral("DecimalPlaces"));
    m_decimalPlaces->setRange(-1, 10);
    m_decimalPlaces->setWhatsThis(
        QStringLiteral("Numbers are rounded to this many decimal places before they are compared; -1 does not round."));
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Decimal places"), this);
    label->setBuddy(m_decimalPlaces);
    row->addWidget(label);
    row->addWidget(m_decimalPlaces);
    row->addStretch();
    number->addLayout(row);
    connect(m_normalize, &QCheckBox::clicked, this, [this](bool on) {
        m_decimalPlaces->setEnabled(on);
        // Switching normalisation off ends rounding at once.
        if (!on) {
            m_options.DecimalPlaces = -1;
            m_decimalPlaces->setValue(-1);
        }
    });

    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group(QStringLiteral("Date Normalization"), date));
    layout->addWidget(group(QStringLiteral("Number Normalization"), number));
    layout->addStretch();
    return page;
}

QWidget* OptionsDialog::buildOutputPage() {
    auto* output = new QVBoxLayout;
    addBoundCheck(output, "IncludeIgnoredElements", QStringLiteral("Include ignored elements in output XML file"),
                  QStringLiteral("Written documents also contain the elements that the comparison ignored."),
                  &Options::IncludeIgnoredElements);
    addBoundCheck(output, "PrintDoctype", QStringLiteral("Print !DOCTYPE"),
                  QStringLiteral("A whole written document starts with the document type declaration of its source."),
                  &Options::PrintDoctype);
    addBoundCheck(
        output, "InsertPI", QStringLiteral("Insert Process Instructions"),
        QStringLiteral("Written differences and merges carry processing instructions that mark what changed."),
        &Options::InsertPI);
    m_openAfterSave = addBoundCheck(
        output, "OpenAfterSave", QStringLiteral("Open the output XML file with external application"),
        QStringLiteral("Opens every saved XML file in the program named below."), &Options::OpenAfterSave);
    m_application = new QLineEdit(this);
    m_application->setObjectName(QStringLiteral("ExternalApplication"));
    m_application->setWhatsThis(QStringLiteral(
        "The program that opens saved XML files; \"default\" opens them with the desktop's program for XML."));
    m_browse = new QPushButton(QStringLiteral(">>"), this);
    m_browse->setObjectName(QStringLiteral("Browse"));
    m_browse->setFixedWidth(m_browse->fontMetrics().horizontalAdvance(QStringLiteral(">>")) + 24);
    auto* appRow = new QHBoxLayout;
    appRow->addWidget(m_application);
    appRow->addWidget(m_browse);
    output->addLayout(appRow);
    connect(m_openAfterSave, &QCheckBox::clicked, this, [this](bool on) {
        m_application->setEnabled(on);
        m_browse->setEnabled(on);
    });
    connect(m_browse, &QPushButton::clicked, this, &OptionsDialog::browseApplication);

    auto* encodingRow = new QHBoxLayout;
    m_encoding = new QComboBox(this);
    m_encoding->setObjectName(QStringLiteral("Encoding"));
    for (unsigned f = 0; f < kEncodingFamilyCount; ++f) m_encoding->addItem(q(EncodingFamilyLabel(f)));
    m_encoding->setWhatsThis(QStringLiteral("The family of the encoding in which XML files are written."));
    m_encodingName = new QComboBox(this);
    m_encodingName->setObjectName(QStringLiteral("EncodingString"));
    m_encodingName->setEditable(true);
    m_encodingName->setInsertPolicy(QComboBox::NoInsert);
    m_encodingName->setWhatsThis(QStringLiteral(
        "The encoding name written into the XML declaration; \"<none>\" writes none. Names of up to 31 characters."));
    encodingRow->addWidget(m_encoding);
    encodingRow->addWidget(m_encodingName, 1);
    auto* encoding = new QVBoxLayout;
    encoding->addLayout(encodingRow);
    encoding->addStretch();
    connect(m_encoding, &QComboBox::activated, this, [this](int index) {
        fillEncodingNames(index);
        m_encodingName->setCurrentIndex(0);
    });

    auto* eol = new QHBoxLayout;
    auto* eolColumn = new QVBoxLayout;
    m_endOfLine = radioGroup(
        this, eolColumn, "EndOfLine",
        {QStringLiteral("None"), QStringLiteral("DOS PC"), QStringLiteral("UNIX"), QStringLiteral("Mac")},
        {QStringLiteral("Written XML has no line breaks."),
         QStringLiteral("Lines end with carriage return and line feed."), QStringLiteral("Lines end with a line feed."),
         QStringLiteral("Lines end with a carriage return.")});
    eol->addLayout(eolColumn);

    auto* page = new QWidget(this);
    auto* layout = new QGridLayout(page);
    layout->addWidget(group(QStringLiteral("Output XML File"), output), 0, 0, 1, 2);
    layout->addWidget(group(QStringLiteral("Encoding"), encoding), 1, 0);
    layout->addWidget(group(QStringLiteral("End Of Line"), eol), 1, 1);
    layout->setColumnStretch(0, 2);
    layout->setRowStretch(2, 1);
    return page;
}

QWidget* OptionsDialog::buildViewPage() {
    auto* layout = new QVBoxLayout;
    QCheckBox* c;
    addBoundCheck(layout, "LoadSeparate", QStringLiteral("Load from separate folders"),
                  QStringLiteral("Each file dialog starts in the folder it was last used in: one for the left file, "
                                 "one for the right, one for saving and one for settings and lists."),
                  &Options::LoadSeparate);
    addBoundCheck(layout, "DisplayFullMode", QStringLiteral("Display XML Element in multyline mode"),
                  QStringLiteral("Long attributes and texts wrap onto several lines in the trees."),
                  &Options::DisplayFullMode);
    auto* ignoring = new QVBoxLayout;
    addBoundCheck(ignoring, "IgnoreElementsByFullName", QStringLiteral("Ignore Elements by Full Name"),
                  QStringLiteral("New ignore rules match the element's full path from the root instead of its name "
                                 "anywhere."),
                  &Options::IgnoreElementsByFullName);
    addBoundCheck(ignoring, "DisplayConfirmation", QStringLiteral("Display Confirmation"),
                  QStringLiteral("F7 and F9 open the Ignore Element dialog; without it they act at once."),
                  &Options::DisplayConfirmation);
    layout->addWidget(group(QStringLiteral("Ignoring Elements"), ignoring));
    addBoundCheck(layout, "HighlightChars", QStringLiteral("Highlight characters"),
                  QStringLiteral("Changed texts show the differing characters, not only the differing words."),
                  &Options::HighlightChars);
    // Kept for the layout users know; it has never stood for an option.
    c = addCheck("DisplayOnlyDifferences", QStringLiteral("Display only differences"),
                 QStringLiteral("Use \"Only Differences\" in the View menu to show only the differences."));
    layout->addWidget(c);
    addBoundCheck(layout, "ExpandDiff", QStringLiteral("Expand differences"),
                  QStringLiteral("After a comparison the trees open so that every difference is visible."),
                  &Options::ExpandDiff);
    addBoundCheck(layout, "AutoScroll", QStringLiteral("Auto scrolling Tree Views"),
                  QStringLiteral("Scrolling one tree scrolls the other along."), &Options::AutoScroll);
    layout->addStretch();
    auto* page = new QWidget(this);
    page->setLayout(layout);
    return page;
}

QWidget* OptionsDialog::buildColorsPage() {
    m_colorList = new QComboBox(this);
    m_colorList->setObjectName(QStringLiteral("ColorList"));
    for (std::size_t i = 0; i < kDifferenceColorCount; ++i) m_colorList->addItem(q(DifferenceColorLabel(i)));
    m_colorList->setWhatsThis(QStringLiteral("Choose which colour of the trees to change."));
    m_sample = new ColorSample(this);
    auto* change = new QPushButton(QStringLiteral("Change"), this);
    change->setObjectName(QStringLiteral("Change"));
    change->setWhatsThis(QStringLiteral("Opens the colour chooser for the colour selected in the list."));
    m_sample->setWhatsThis(QStringLiteral("The colour chosen for the entry selected in the list."));
    m_example = new ColorExample(m_colors, this);
    m_example->setWhatsThis(
        QStringLiteral("How the trees look with the colours shown: element names, attributes and "
                       "texts, normal, changed and without partner, selected and not."));
    m_example->setPaneFont(m_services.paneFont, m_services.itemHeight);
    connect(m_colorList, &QComboBox::currentIndexChanged, this, [this] { repaintSamples(); });
    connect(change, &QPushButton::clicked, this, &OptionsDialog::changeColor);

    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Example:"), this);
    row->addWidget(label);
    row->addWidget(m_sample);
    row->addStretch();
    row->addWidget(change);
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_colorList);
    layout->addLayout(row);
    layout->addWidget(m_example, 1);
    repaintSamples();
    return page;
}

QWidget* OptionsDialog::buildAdvancedPage() {
    auto* advanced = new QVBoxLayout;
    // Names are folded while a document loads, so these cannot change under one.
    addBoundCheck(advanced, "XMLElementCaseSensitive", QStringLiteral("XML Element Case sensitive"),
                  QStringLiteral("Element names that differ only in case are different elements. Can be changed only "
                                 "while no document is loaded."),
                  &Options::XMLElementCaseSensitive)
        ->setEnabled(!m_documentLoaded);
    addBoundCheck(advanced, "XMLAttributeCaseSensitive", QStringLiteral("XML Attribute Case sensitive"),
                  QStringLiteral("Attribute names that differ only in case are different attributes. Can be changed "
                                 "only while no document is loaded."),
                  &Options::XMLAttributeCaseSensitive)
        ->setEnabled(!m_documentLoaded);
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group(QStringLiteral("Advanced"), advanced));
    layout->addStretch();
    return page;
}

int OptionsDialog::currentPage() const {
    return m_pages->currentIndex();
}

void OptionsDialog::setCurrentPage(int page) {
    m_pageList->setCurrentRow(page);
}

QString OptionsDialog::pageTopic(int page) {
    static const char* const topics[PageCount] = {"htm/valopt.htm",  "htm/compopt.htm", "htm/normal.htm",
                                                  "htm/openout.htm", "htm/view.htm",    "htm/colors.htm",
                                                  "htm/advanced.htm"};
    return QString::fromLatin1(topics[page >= 0 && page < PageCount ? page : 0]);
}

void OptionsDialog::fillEncodingNames(int family) {
    m_encodingName->clear();
    if (family >= 0)
        for (std::u16string_view name : EncodingNames(unsigned(family))) m_encodingName->addItem(q(name));
    m_encodingName->addItem(QStringLiteral("<none>"));
}

void OptionsDialog::loadControls() {
    const Options& o = m_options;
    for (const CheckBinding& b : m_checks->list) b.box->setChecked(b.get(o));
    m_schemaValidation->setCurrentIndex(o.SchemaValidation < 3 ? int(o.SchemaValidation) : -1);
    selectRadio(m_level, o.CompareLevel);
    selectRadio(m_dateCode, GetDateCode(o));
    m_decimalPlaces->setValue(o.DecimalPlaces);
    m_decimalPlaces->setEnabled(o.NormalizeNumber != 0);
    m_application->setText(QString::fromStdU16String(o.ExternalApplication));
    m_application->setEnabled(o.OpenAfterSave != 0);
    m_browse->setEnabled(o.OpenAfterSave != 0);
    const int family = o.Encoding < kEncodingFamilyCount ? int(o.Encoding) : -1;
    m_encoding->setCurrentIndex(family);
    fillEncodingNames(family);
    m_encodingName->setEditText(QString::fromStdU16String(o.EncodingString));
    selectRadio(m_endOfLine, o.EndOfLine);
}

void OptionsDialog::readControls() {
    Options& o = m_options;
    for (const CheckBinding& b : m_checks->list)
        if (b.set) b.set(o, b.box->isChecked());
    if (m_schemaValidation->currentIndex() >= 0) o.SchemaValidation = std::uint32_t(m_schemaValidation->currentIndex());
    if (m_encoding->currentIndex() >= 0) o.Encoding = std::uint32_t(m_encoding->currentIndex());

    const auto* ignoreWhite = findChild<QCheckBox*>(QStringLiteral("IgnoreWhiteSpaces"));
    const auto* caseSensitive = findChild<QCheckBox*>(QStringLiteral("CaseSensitive"));
    o.FlagComparsion =
        (ignoreWhite->isChecked() ? kIgnoreWhiteSpaceBit : 0u) | (caseSensitive->isChecked() ? 0u : kIgnoreCaseBit);

    if (m_dateCode->checkedId() >= 0) SetDateCode(o, std::uint32_t(m_dateCode->checkedId()));
    if (m_level->checkedId() >= 0) o.CompareLevel = std::uint32_t(m_level->checkedId());
    if (m_endOfLine->checkedId() >= 0) o.EndOfLine = std::uint32_t(m_endOfLine->checkedId());

    o.DecimalPlaces = o.NormalizeNumber ? m_decimalPlaces->value() : -1;

    const QString application = m_application->text();
    if (application.isEmpty())
        o.ExternalApplication = u"default";
    else if (application.size() <= 254)
        o.ExternalApplication = application.toStdU16String();

    const QString encodingName = m_encodingName->currentText();
    o.EncodingString = (encodingName.isEmpty() || std::size_t(encodingName.size()) > kEncodingStringCapacity)
                           ? std::u16string(u"<none>")
                           : encodingName.toStdU16String();
    ApplyCompareLevel(o);
}

void OptionsDialog::repaintSamples() {
    const int index = m_colorList->currentIndex();
    if (index >= 0) m_sample->setColor(m_colors[std::size_t(index)]);
    m_example->update();
}

void OptionsDialog::changeColor() {
    const int index = m_colorList->currentIndex();
    if (index < 0) return;
    const QColor chosen = QColorDialog::getColor(m_colors[std::size_t(index)], this, m_colorList->currentText());
    if (chosen.isValid()) m_colors[std::size_t(index)] = chosen;
    repaintSamples();
}

void OptionsDialog::browseApplication() {
    const QString path = AskFileName(this, FileDialogMode::Open, QStringLiteral("Browse"),
                                     QStringLiteral("Applications (*)"), nullptr, false);
    if (!path.isEmpty()) m_application->setText(path);
}

void OptionsDialog::onOk() {
    readControls();
    if (m_services.saveSettings) m_services.saveSettings(m_options);
    accept();
}

void OptionsDialog::onSave() {
    readControls();
    const QString path = AskFileName(this, FileDialogMode::Save, QStringLiteral("Save Options to file"),
                                     AllFilesFilter(), &m_options.OptionsDir, m_options.LoadSeparate != 0);
    if (path.isEmpty()) return;
    std::u16string reason;
    const bool written = m_services.writeOptionsFile ? m_services.writeOptionsFile(path, m_options)
                                                     : WriteOptionsFile(path.toStdU16String(), m_options, &reason);
    // A settings file the user asked for and did not get must not pass
    // unnoticed.
    if (!written) {
        QString text = QStringLiteral("Cannot write the file ") + path;
        if (!reason.empty()) text += QStringLiteral("\n\n") + QString::fromStdU16String(reason);
        notifier().show(u"Error", text.toStdU16String(), MessageIcon::Error, MessageButtons::Ok);
    }
}

void OptionsDialog::onDefault() {
    if (currentPage() == Colors) {
        // Only the working copy: the painter keeps its colours unless OK is
        // pressed, so Cancel leaves the trees as they were.
        m_colors = DefaultDifferenceColors();
        repaintSamples();
        return;
    }
    ResetOptions(m_options, m_documentLoaded);
    loadControls();
}

OptionsOutcome ShowOptionsDialog(QWidget* owner, Options& options, DifferenceColors& painterColors, bool documentLoaded,
                                 const OptionsDialogServices& services) {
    const OptionsNote before = NoteOptions(options);
    OptionsDialog dialog(options, painterColors, documentLoaded, services, owner);
    if (dialog.exec() != QDialog::Accepted) return {};
    painterColors = dialog.workingColors();
    return DecideAfterOptions(before, options, documentLoaded);
}

}  // namespace quillon
