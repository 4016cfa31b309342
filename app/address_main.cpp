#include "address_main.h"

#include "app/address_query_form.h"
#include "app/browse_window.h"
#include "app/clipboard_window.h"
#include "app/date_selector.h"
#include "app/field_editor.h"
#include "app/getting_started_window.h"
#include "app/memo_search_window.h"
#include "app/new_database_dialogs.h"
#include "app/new_record_dialog.h"
#include "app/preferences_dialog.h"
#include "app/rebuild_windows.h"
#include "app/search_box.h"
#include "app/tag_all_window.h"
#include "data/dialog_service.h"
#include "data/printer_presence.h"
#include "data/program_directory.h"
#include "data/record_text.h"
#include "data/sort_orders.h"
#include "data/stored_date.h"
#include "ui/help_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace qorvel;

namespace {

const QString kNotYet = QStringLiteral("Not available in this version of Qorvel");

// Editors that the skip preferences take out of the tab order while adding.
const std::pair<SkipField, const char*> kSkipEditors[] = {
    {SkipField::LastName, "LNAME"}, {SkipField::FirstName, "FNAME"}, {SkipField::Middle, "MIDDLE"},
    {SkipField::Prefix, "PREFIX"},  {SkipField::Title, "TITLE"},     {SkipField::Org, "ORG"},
    {SkipField::Street2, "STREET2"}, {SkipField::State, "STATE"},    {SkipField::Zip, "ZIP"},
    {SkipField::Country, "COUNTRY"}, {SkipField::Phone1, "PHONE"},   {SkipField::Phone2, "PHONE2"},
    {SkipField::Fax, "FAX"},        {SkipField::Email, "EMAIL"},     {SkipField::Codes, "CODES"},
    {SkipField::Comments1, "USER1"}, {SkipField::Comments2, "USER2"},
};

}  // namespace

TAddressMain::TAddressMain(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Qorvel"));
    setFixedSize(610, 450);
    buildControls();
    buildMenus();

    model_.runRebuildWindow = [this] {
        TQVReindex window(model_.TableQVW(), this);
        window.exec();
    };
    Dataset& t = model_.TableQVW();
    connect(&model_, &AddressMainModel::captionChanged, this, &QWidget::setWindowTitle);
    connect(&model_, &AddressMainModel::tableChanged, this, [this] {
        for (FieldEditor* e : editors_)
            e->reload();
        memoSearchText_.clear();
        memoFound_ = false;
        recordChanged();
        SetButtons();
    });
    connect(&model_, &AddressMainModel::sortChanged, this, [this] {
        sortStatus_->setText(model_.sortStatus());
        for (QAction* a : sortActions_)
            a->setChecked(a->text().mid(1).compare(model_.sortName(), Qt::CaseInsensitive) == 0);
    });
    connect(&model_, &AddressMainModel::filterChanged, this, &TAddressMain::UpdateFilterStatus);
    connect(&model_, &AddressMainModel::recentFilesChanged, this, &TAddressMain::UpdateMenuMRUList);
    connect(&model_, &AddressMainModel::beep, this, [] { QApplication::beep(); });
    connect(&t, &Dataset::recordChanged, this, &TAddressMain::recordChanged);
    connect(&t, &Dataset::dataChanged, this, [this] {
        tagged_->setChecked(model_.TableQVW().logical(QStringLiteral("Tagged")));
        displayDate_->setText(model_.TableQVW().text(QStringLiteral("DisplayDate")));
    });
    for (auto signal : {&Dataset::afterPost, &Dataset::afterEdit, &Dataset::afterInsert, &Dataset::afterCancel}) {
        connect(&t, signal, this, [this] {
            if (buttonUpdating_)
                SetButtons();
        });
    }
    connect(&t, &Dataset::afterPost, this, [this] { SetSkipFields(false); });
    connect(&t, &Dataset::afterCancel, this, [this] {
        SetSkipFields(false);
        loadMemo();
    });
    qApp->installEventFilter(this);
    SetButtons();
}

TAddressMain::~TAddressMain() { qApp->removeEventFilter(this); }

QPushButton* TAddressMain::addButton(QLayout* layout, const QString& name, const QString& caption,
                                     void (TAddressMain::*slot)()) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::TabFocus);
    if (slot)
        connect(b, &QPushButton::clicked, this, slot);
    layout->addWidget(b);
    buttons_.insert(name, b);
    return b;
}

QPushButton* TAddressMain::button(const QString& name) const { return buttons_.value(name); }
QAction* TAddressMain::menuAction(const QString& caption) const { return actions_.value(caption); }

void TAddressMain::buildControls() {
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(4, 2, 4, 2);
    outer->setSpacing(2);

    // The button bar.
    auto* bar = new QHBoxLayout;
    bar->setSpacing(2);
    struct BarButton {
        const char* name;
        const char* hint;
        void (TAddressMain::*slot)();
    };
    const BarButton barButtons[] = {
        {"Labels", "Click here or press CTRL+L to print/design labels", nullptr},
        {"Letters", "Click here or press CTRL+T to print/design letters", nullptr},
        {"Envelopes", "Click here or press CTRL+E to print/design envelopes", nullptr},
        {"Reports", "Click here or press CTRL+R to print/design reports", nullptr},
        {"Browse", "Click here or press CTRL+B for a table view of the database", &TAddressMain::BrowseButtonClick},
        {"Search", "Click here or press CTRL+S to search for a specific value", &TAddressMain::SearchButtonClick},
        {"Filter", "Click here or press CTRL+F to set or change a filter", &TAddressMain::FilterButtonClick},
    };
    for (const BarButton& b : barButtons) {
        QPushButton* button = addButton(bar, QString::fromLatin1(b.name), QString::fromLatin1(b.name), b.slot);
        button->setToolTip(QString::fromLatin1(b.hint));
        button->setStatusTip(QString::fromLatin1(b.hint));
        if (!b.slot)
            button->setToolTip(QString::fromLatin1(b.hint) + QStringLiteral("\n") + kNotYet);
    }
    bar->addStretch();
    bar->addWidget(makeMouseHelpButton(this));
    outer->addLayout(bar);

    // The record area: names, then the notebook; the no-data panel covers it.
    recordArea_ = new QStackedWidget(central);
    record_ = new QWidget(recordArea_);
    auto* recordLayout = new QVBoxLayout(record_);
    recordLayout->setContentsMargins(0, 0, 0, 0);
    recordLayout->setSpacing(2);
    Dataset& t = model_.TableQVW();
    auto editorFor = [&](const char* field, QWidget* parent) {
        auto* e = new FieldEditor(t, QLatin1String(field), parent);
        editors_.insert(QLatin1String(field), e);
        connect(e, &FieldEditor::doubleClicked, this, &TAddressMain::EditButtonClick);
        return e;
    };
    auto* names = new QGridLayout;
    names->setHorizontalSpacing(4);
    names->setVerticalSpacing(2);
    const std::pair<const char*, const char*> nameFields[] = {{"Last", "LNAME"},     {"First", "FNAME"},
                                                              {"MI", "MIDDLE"},      {"Prefix", "PREFIX"},
                                                              {"Title", "TITLE"},    {"Org", "ORG"}};
    for (int i = 0; i < 6; ++i) {
        auto* label = new QLabel(QString::fromLatin1(nameFields[i].first), record_);
        FieldEditor* e = editorFor(nameFields[i].second, record_);
        label->setBuddy(e);
        names->addWidget(label, i / 3, (i % 3) * 2);
        names->addWidget(e, i / 3, (i % 3) * 2 + 1);
    }
    editors_.value(QStringLiteral("MIDDLE"))->setUpperCase(true);
    editors_.value(QStringLiteral("MIDDLE"))->setMaximumWidth(30);
    names->setColumnStretch(1, 3);
    names->setColumnStretch(3, 3);
    names->setColumnStretch(5, 2);
    recordLayout->addLayout(names);

    notebook_ = new QTabWidget(record_);
    auto* page1 = new QWidget(notebook_);
    auto* grid = new QGridLayout(page1);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    const std::pair<const char*, const char*> left[] = {{"Address 1", "STREET"},      {"Address 2", "STREET2"},
                                                        {"City", "CITY"},             {"State or Prov", "STATE"},
                                                        {"Zip or Postal ", "ZIP"},    {"Country", "COUNTRY"}};
    for (int i = 0; i < 6; ++i) {
        auto* label = new QLabel(QString::fromLatin1(left[i].first), page1);
        FieldEditor* e = editorFor(left[i].second, page1);
        label->setBuddy(e);
        grid->addWidget(label, i, 0);
        grid->addWidget(e, i, 1);
    }
    auto* dateRow = new QHBoxLayout;
    QPushButton* dateButton = addButton(dateRow, QStringLiteral("Date"), QStringLiteral("Date"), &TAddressMain::DateLabelClick);
    dateButton->setToolTip(QStringLiteral("Pick the record's date from a calendar"));
    displayDate_ = new QLineEdit(page1);
    displayDate_->setReadOnly(true);
    displayDate_->setObjectName(QStringLiteral("DisplayDate"));
    dateRow->addWidget(displayDate_);
    grid->addLayout(dateRow, 6, 0, 1, 2);
    const std::pair<const char*, const char*> right[] = {{"Phone 1", "PHONE"}, {"Phone 2", "PHONE2"}, {"Fax", "FAX"},
                                                         {"E-mail", "EMAIL"},  {"Codes", "CODES"},    {"Comment 1", "USER1"},
                                                         {"Comment 2", "USER2"}};
    for (int i = 0; i < 7; ++i) {
        auto* label = new QLabel(QString::fromLatin1(right[i].first), page1);
        FieldEditor* e = editorFor(right[i].second, page1);
        label->setBuddy(e);
        grid->addWidget(label, i, 2);
        if (i < 2) {
            auto* row = new QHBoxLayout;
            row->addWidget(e);
            QPushButton* dial = addButton(row, i == 0 ? QStringLiteral("DialPhone1") : QStringLiteral("DialPhone2"),
                                          i == 0 ? QStringLiteral("Dial Phone &1") : QStringLiteral("Dial Phone &2"),
                                          nullptr);
            dial->setToolTip(kNotYet);
            grid->addLayout(row, i, 3);
        } else {
            grid->addWidget(e, i, 3);
        }
    }
    tagged_ = new QCheckBox(QStringLiteral("Tagged"), page1);
    tagged_->setToolTip(QStringLiteral("Click to tag or untag this record"));
    connect(tagged_, &QCheckBox::clicked, this, [this] {
        model_.ToggleTag();
        tagged_->setChecked(model_.TableQVW().logical(QStringLiteral("Tagged")));
        SetButtons();
    });
    grid->addWidget(tagged_, 7, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    notebook_->addTab(page1, QStringLiteral("Address &Information"));

    auto* page2 = new QWidget(notebook_);
    auto* memoLayout = new QVBoxLayout(page2);
    memo_ = new QPlainTextEdit(page2);
    memo_->setObjectName(QStringLiteral("MEMO"));
    memo_->installEventFilter(this);
    memo_->viewport()->installEventFilter(this);
    connect(memo_, &QPlainTextEdit::textChanged, this, [this] {
        // Typing into the memo starts an edit; loading it does not.
        if (!memoLoading_ && model_.isOpen() && !model_.editing() && model_.TableQVW().recNo() != 0)
            EditButtonClick();
    });
    memoLayout->addWidget(memo_);
    auto* memoButtons = new QHBoxLayout;
    memoButtons->addStretch();
    addButton(memoButtons, QStringLiteral("SearchMemo"), QStringLiteral("Search &Memo"), &TAddressMain::SearchMemoButtonClick);
    addButton(memoButtons, QStringLiteral("FindNext"), QStringLiteral("Find &Next"), &TAddressMain::SearchMemoNextButtonClick);
    memoLayout->addLayout(memoButtons);
    notebook_->addTab(page2, QStringLiteral("&Memo"));
    recordLayout->addWidget(notebook_);

    auto* noData = new QLabel(QStringLiteral("Please Open or Create a Qorvel Address file"), recordArea_);
    noData->setAlignment(Qt::AlignCenter);
    noData->setWordWrap(true);
    noData->setStyleSheet(QStringLiteral("color: green; font-size: 20pt; font-weight: bold; font-style: italic;"));
    noData_ = noData;
    recordArea_->addWidget(record_);
    recordArea_->addWidget(noData_);
    outer->addWidget(recordArea_, 1);

    // The button row.
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    QPushButton* first = addButton(row, QStringLiteral("First"), QStringLiteral("|<"), nullptr);
    QPushButton* prior = addButton(row, QStringLiteral("Prior"), QStringLiteral("<"), nullptr);
    QPushButton* next = addButton(row, QStringLiteral("Next"), QStringLiteral(">"), nullptr);
    QPushButton* last = addButton(row, QStringLiteral("Last"), QStringLiteral(">|"), nullptr);
    first->setToolTip(QStringLiteral("First record (Ctrl+Up)"));
    prior->setToolTip(QStringLiteral("Previous record (PgUp)"));
    next->setToolTip(QStringLiteral("Next record (PgDn)"));
    last->setToolTip(QStringLiteral("Last record (Ctrl+Down)"));
    for (QPushButton* b : {first, prior, next, last})
        b->setMaximumWidth(32);
    connect(first, &QPushButton::clicked, &model_, &AddressMainModel::RecordFirstClick);
    connect(prior, &QPushButton::clicked, &model_, &AddressMainModel::RecordPrevClick);
    connect(next, &QPushButton::clicked, &model_, &AddressMainModel::RecordNextClick);
    connect(last, &QPushButton::clicked, &model_, &AddressMainModel::RecordLastClick);
    row->addSpacing(6);
    addButton(row, QStringLiteral("Save"), QStringLiteral("&Save"), &TAddressMain::SaveButtonClick);
    addButton(row, QStringLiteral("Cancel"), QStringLiteral("&Cancel"), &TAddressMain::CancelButtonClick);
    addButton(row, QStringLiteral("Add"), QStringLiteral("&Add"), &TAddressMain::AddButtonClick);
    addButton(row, QStringLiteral("Edit"), QStringLiteral("&Edit"), &TAddressMain::EditButtonClick);
    addButton(row, QStringLiteral("Delete"), QStringLiteral("&Delete"), &TAddressMain::DeleteButtonClick);
    addButton(row, QStringLiteral("Exit"), QStringLiteral("E&xit"), nullptr);
    connect(buttons_.value(QStringLiteral("Exit")), &QPushButton::clicked, this, &QWidget::close);
    row->addStretch();
    addButton(row, QStringLiteral("ClearFilter"), QStringLiteral("Clear Filter"), &TAddressMain::ClearfilterButtonClick);
    outer->addLayout(row);
    setCentralWidget(central);

    sortStatus_ = new QLabel(this);
    filterStatus_ = new QLabel(this);
    filterStatus_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    filterStatus_->setMinimumWidth(220);
    statusBar()->addWidget(sortStatus_, 1);
    statusBar()->addPermanentWidget(filterStatus_);
    statusBar()->setSizeGripEnabled(false);
}

void TAddressMain::buildMenus() {
    auto add = [this](QMenu* menu, const QString& caption, auto slot, const QKeySequence& key = {}) {
        QAction* a = menu->addAction(caption);
        if (!key.isEmpty())
            a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        actions_.insert(caption, a);
        return a;
    };
    auto later = [this](QMenu* menu, const QString& caption, const QKeySequence& key = {}) {
        QAction* a = menu->addAction(caption);
        if (!key.isEmpty())
            a->setShortcut(key);
        a->setEnabled(false);
        a->setToolTip(kNotYet);
        actions_.insert(caption, a);
        unavailable_ << a;
        return a;
    };
    fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu_->setToolTipsVisible(true);
    add(fileMenu_, QStringLiteral("&New Address Database"), &TAddressMain::NewFileMenuClick);
    add(fileMenu_, QStringLiteral("&Open Address DataBase"), &TAddressMain::OpenFileMenuClick);
    fileMenu_->addSeparator();
    later(fileMenu_, QStringLiteral("Import from &ASCII File"));
    later(fileMenu_, QStringLiteral("Import from &DBF File"));
    later(fileMenu_, QStringLiteral("Import from Qorvel 1.x DBF"));
    later(fileMenu_, QStringLiteral("Import from Qorvel 2.x DBF"));
    later(fileMenu_, QStringLiteral("&Export "));
    fileMenu_->addSeparator();
    add(fileMenu_, QStringLiteral("&Rebuild Indexes for this file"), &TAddressMain::RebuildIndexesClick);
    add(fileMenu_, QStringLiteral("Rebuild S&ystem File indexes"), &TAddressMain::RebuildSystemIndexesClick);
    add(fileMenu_, QStringLiteral("Pre&ferences"), &TAddressMain::mnuPreferencesClick);
    fileMenu_->addSeparator();
    add(fileMenu_, QStringLiteral("E&xit "), &QWidget::close);
    mruSeparator_ = fileMenu_->addSeparator();

    // The edit menu is not shown; its commands work on the focused edit box (which
    // also takes their keys itself).
    auto* editMenu = new QMenu(QStringLiteral("Ed&it"), this);
    enum class EditCommand { Undo, Cut, Copy, Paste };
    const std::pair<const char*, EditCommand> edits[] = {{"&Undo typing", EditCommand::Undo},
                                                         {"Cu&t", EditCommand::Cut},
                                                         {"&Copy", EditCommand::Copy},
                                                         {"&Paste", EditCommand::Paste}};
    for (const auto& [caption, command] : edits) {
        QAction* a = editMenu->addAction(QString::fromLatin1(caption));
        const EditCommand c = command;
        connect(a, &QAction::triggered, this, [c] {
            QWidget* f = QApplication::focusWidget();
            if (auto* line = qobject_cast<QLineEdit*>(f)) {
                switch (c) {
                case EditCommand::Undo: line->undo(); break;
                case EditCommand::Cut: line->cut(); break;
                case EditCommand::Copy: line->copy(); break;
                case EditCommand::Paste: line->paste(); break;
                }
            } else if (auto* text = qobject_cast<QPlainTextEdit*>(f)) {
                switch (c) {
                case EditCommand::Undo: text->undo(); break;
                case EditCommand::Cut: text->cut(); break;
                case EditCommand::Copy: text->copy(); break;
                case EditCommand::Paste: text->paste(); break;
                }
            }
        });
        actions_.insert(QString::fromLatin1(caption), a);
    }
    actions_.insert(QStringLiteral("Ed&it"), editMenu->menuAction());

    QMenu* record = menuBar()->addMenu(QStringLiteral("&Record"));
    record->setToolTipsVisible(true);
    actions_.insert(QStringLiteral("&Record"), record->menuAction());
    add(record, QStringLiteral("&Add"), &TAddressMain::AddButtonClick);
    add(record, QStringLiteral("&Edit"), &TAddressMain::EditButtonClick);
    add(record, QStringLiteral("&Delete"), &TAddressMain::DeleteButtonClick);
    add(record, QStringLiteral("Create a Duplicate &Record (Clone)"), &TAddressMain::mnuCloneClick);
    record->addSeparator();
    add(record, QStringLiteral("&Browse"), &TAddressMain::BrowseButtonClick, QKeySequence(Qt::CTRL | Qt::Key_B));
    add(record, QStringLiteral("&Search"), &TAddressMain::SearchButtonClick, QKeySequence(Qt::CTRL | Qt::Key_S));
    add(record, QStringLiteral("Copy To &Clipboard"), &TAddressMain::ToClipboard1Click);
    record->addSeparator();
    add(record, QStringLiteral("Set &Filter"), &TAddressMain::FilterButtonClick, QKeySequence(Qt::CTRL | Qt::Key_F));
    add(record, QStringLiteral("&Clear Filter"), &TAddressMain::ClearfilterButtonClick);
    add(record, QStringLiteral("&Save Filter"), &TAddressMain::mnuSaveFilterClick);
    add(record, QStringLiteral("&Restore Filter"), &TAddressMain::mnuRestoreFilterClick);
    record->addSeparator();
    add(record, QStringLiteral("&Tag All Filter Matches"), &TAddressMain::mnuTagAllFilterMatchesClick);
    add(record, QStringLiteral("Clear &Tags"), &TAddressMain::ClearTags1Click);
    record->addSeparator();
    add(record, QStringLiteral("First Record"), [this] { model_.RecordFirstClick(); }, QKeySequence(Qt::CTRL | Qt::Key_Up));
    add(record, QStringLiteral("Previous Record"), [this] { model_.RecordPrevClick(); }, QKeySequence(Qt::CTRL | Qt::Key_Left));
    add(record, QStringLiteral("Next Record"), [this] { model_.RecordNextClick(); }, QKeySequence(Qt::CTRL | Qt::Key_Right));
    add(record, QStringLiteral("Last Record"), [this] { model_.RecordLastClick(); }, QKeySequence(Qt::CTRL | Qt::Key_Down));

    QMenu* sort = menuBar()->addMenu(QStringLiteral("&Sort"));
    actions_.insert(QStringLiteral("&Sort"), sort->menuAction());
    auto* group = new QActionGroup(this);
    for (const SortOrder& s : kSortOrders) {
        QAction* a = sort->addAction(QString::fromLatin1(s.menuCaption));
        a->setCheckable(true);
        group->addAction(a);
        sortActions_ << a;
        connect(a, &QAction::triggered, this, [this, a] { SetMenuOrder(a); });
    }

    QMenu* print = menuBar()->addMenu(QStringLiteral("&Print"));
    print->setToolTipsVisible(true);
    actions_.insert(QStringLiteral("&Print"), print->menuAction());
    later(print, QStringLiteral("Print &Labels"), QKeySequence(Qt::CTRL | Qt::Key_L));
    later(print, QStringLiteral("Print Le&tters"), QKeySequence(Qt::CTRL | Qt::Key_T));
    later(print, QStringLiteral("Print &Envelopes"), QKeySequence(Qt::CTRL | Qt::Key_E));
    later(print, QStringLiteral("Print &Reports"), QKeySequence(Qt::CTRL | Qt::Key_R));
    later(print, QStringLiteral("Print C&urrent Record"), QKeySequence(Qt::CTRL | Qt::Key_P));
    later(print, QStringLiteral("Count &Zip Codes"));

    QMenu* utilities = menuBar()->addMenu(QStringLiteral("&Utilities"));
    utilities->setToolTipsVisible(true);
    actions_.insert(QStringLiteral("&Utilities"), utilities->menuAction());
    later(utilities, QStringLiteral("Check && Repair &Duplicates"));
    later(utilities, QStringLiteral("Check && Repair &State and Zip Codes"));
    later(utilities, QStringLiteral("Con&vert Case"));
    later(utilities, QStringLiteral("Delete &Records"));
    later(utilities, QStringLiteral("&Search && Replace Field Values"));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    add(help, QStringLiteral("&Contents"), [this] { showHelpTopic(kHelpContents, this); });
    add(help, QStringLiteral("Search for Help On"), [this] { showHelpTopic(kHelpContents, this); });
    add(help, QStringLiteral("How to Use Help"), [this] { showHelpTopic(1001, this); });
    help->addSeparator();
    add(help, QStringLiteral("&Getting Started"), [this] {
        TGettingStarted w(this);
        w.exec();
    });
    add(help, QStringLiteral("&About..."), [] {
        dialogs().message(QStringLiteral("About Qorvel"), QStringLiteral("Qorvel\nVersion 2.1a"), MessageIcon::Information);
    });
}

// --- Activation and closing ---------------------------------------------------------------

void TAddressMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // An offscreen or unmanaged window may never be activated; the first show is enough.
    if (firstActivation_)
        QTimer::singleShot(0, this, &TAddressMain::FormActivate);
}

void TAddressMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && firstActivation_)
        FormActivate();
}

void TAddressMain::FormActivate() {
    if (!firstActivation_)
        return;
    firstActivation_ = false;
    buttonUpdating_ = true;
    model_.LoadPreferences();
    model_.openFirstTable();
    if (model_.isOpen())
        model_.ApplyFilter();
    UpdateMenuMRUList();
    SetButtons();
    PrinterPresenceCheck();
    emit firstActivationDone();
    if (!model_.gettingStartedDismissed()) {
        QTimer::singleShot(0, this, [this] {
            TGettingStarted w(this);
            w.exec();
        });
    }
}

void TAddressMain::closeEvent(QCloseEvent* event) {
    // A pending edit is dropped without asking; closing is never refused.
    model_.TableQVW().cancel();
    model_.TableQVW().close();
    event->accept();
}

// --- State -----------------------------------------------------------------------------

void TAddressMain::SetButtons() {
    const ButtonState b = model_.SetButtons();
    auto enable = [this](const char* name, bool on) {
        if (QPushButton* p = buttons_.value(QLatin1String(name)))
            p->setEnabled(on);
    };
    auto show = [this](const char* name, bool on) {
        if (QPushButton* p = buttons_.value(QLatin1String(name)))
            p->setVisible(on);
    };
    for (const char* name : {"Search", "Edit", "Delete", "Browse", "First", "Prior", "Next", "Last"})
        enable(name, b.recordButtons());
    for (const char* name : {"Labels", "Letters", "Envelopes", "Reports", "DialPhone1", "DialPhone2"})
        enable(name, false);  // their windows come with later versions
    enable("Add", b.add());
    enable("Filter", b.filterButton());
    show("ClearFilter", b.clearFilterVisible());
    enable("ClearFilter", b.clearFilterEnabled());
    show("Save", b.saveCancel());
    show("Cancel", b.saveCancel());
    enable("Save", b.saveCancel());
    enable("Cancel", b.saveCancel());
    for (const char* name : {"Add", "Edit", "Delete", "Exit"})
        show(name, b.addEditDeleteExit());
    for (const char* name : {"DialPhone1", "DialPhone2", "SearchMemo"})
        show(name, b.dialAndMemoSearch());
    show("FindNext", memoFound_ && !b.editing);
    enable("Date", b.open);
    auto action = [this](const char* caption, bool on) {
        if (QAction* a = actions_.value(QLatin1String(caption)); a && !unavailable_.contains(a))
            a->setEnabled(on);
    };
    action("&Browse", b.recordButtons());
    action("&Search", b.recordButtons());
    action("&Add", b.add());
    action("&Edit", b.recordButtons());
    action("&Delete", b.recordButtons());
    action("Set &Filter", b.filterButton());
    for (const char* caption : {"&Save Filter", "&Clear Filter", "&Tag All Filter Matches"})
        action(caption, b.filterMenus());
    for (const char* caption : {"Create a Duplicate &Record (Clone)", "&Sort", "&Print", "&Utilities", "Copy To &Clipboard"})
        action(caption, b.browseMenus());
    for (const char* caption : {"&Rebuild Indexes for this file", "Ed&it", "&Restore Filter", "Clear &Tags"})
        action(caption, b.openMenus());
    action("&Record", b.recordMenu());
    for (const char* caption : {"First Record", "Previous Record", "Next Record", "Last Record"})
        action(caption, b.recordButtons());
    fileMenu_->menuAction()->setEnabled(b.fileMenu());
    action("E&xit ", b.fileMenu());
    recordArea_->setCurrentWidget(b.open ? record_ : noData_);
    memo_->setReadOnly(!b.open || !b.current);
    // While editing, the focus belongs to a field editor or the memo.
    if (b.editing) {
        QWidget* f = QApplication::focusWidget();
        if (!qobject_cast<FieldEditor*>(f) && f != memo_)
            if (FieldEditor* last = editors_.value(QStringLiteral("LNAME")))
                last->setFocus();
    }
    UpdateFilterStatus();
}

void TAddressMain::UpdateFilterStatus() {
    filterStatus_->setVisible(model_.isOpen());
    filterStatus_->setText(model_.filterStatus());
}

void TAddressMain::recordChanged() {
    if (!model_.editing()) {
        loadMemo();
        UpdateFilterStatus();
    }
    tagged_->setChecked(model_.TableQVW().logical(QStringLiteral("Tagged")));
    displayDate_->setText(model_.TableQVW().text(QStringLiteral("DisplayDate")));
    if (buttonUpdating_)
        SetButtons();
}

void TAddressMain::loadMemo() {
    memoLoading_ = true;
    QString text = model_.isOpen() ? model_.TableQVW().memo(QStringLiteral("MEMO")) : QString();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    memo_->setPlainText(text);
    memoLoading_ = false;
}

void TAddressMain::SetSkipFields(bool on) {
    for (const auto& [skip, field] : kSkipEditors) {
        if (FieldEditor* e = editors_.value(QLatin1String(field)))
            e->setFocusPolicy(on && model_.preferences().skips(skip) ? Qt::ClickFocus : Qt::StrongFocus);
    }
    displayDate_->setFocusPolicy(on && model_.preferences().skips(SkipField::Date) ? Qt::ClickFocus : Qt::StrongFocus);
}

void TAddressMain::UpdateMenuMRUList() {
    const QList<QAction*> all = fileMenu_->actions();
    const int start = all.indexOf(mruSeparator_);
    for (int i = all.size() - 1; i > start; --i) {
        fileMenu_->removeAction(all[i]);
        all[i]->deleteLater();
    }
    for (const QString& path : model_.recentFiles().items()) {
        QAction* a = fileMenu_->addAction(path);
        connect(a, &QAction::triggered, this, [this, path] {
            model_.openRecentFile(path);
            SetButtons();
        });
    }
}

void TAddressMain::SetMenuOrder(QAction* item) {
    model_.SetOrderTo(item->text().mid(1));
    model_.TableQVW().refresh();
    emit model_.TableQVW().recordChanged();
}

// --- Keyboard ----------------------------------------------------------------------------

bool TAddressMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->window() == this && QApplication::activeModalWidget() == nullptr) {
            bool handled = false;
            FormKeyDown(static_cast<QKeyEvent*>(event), handled);
            if (handled)
                return true;
            // Esc in the memo cancels at once.
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((watched == memo_ || watched == memo_->viewport()) && key->key() == Qt::Key_Escape && model_.editing()) {
                CancelButtonClick();
                return true;
            }
        }
    }
    if ((watched == memo_ || watched == memo_->viewport()) && event->type() == QEvent::MouseButtonDblClick &&
        !model_.editing())
        EditButtonClick();
    return QMainWindow::eventFilter(watched, event);
}

void TAddressMain::FormKeyDown(QKeyEvent* event, bool& handled) {
    const bool editing = model_.editing();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool alt = event->modifiers() & Qt::AltModifier;
    const int key = event->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    handled = true;
    if (enter && alt && editing) {
        SaveButtonClick();
        if (!model_.editing() &&
            dialogs().question(QStringLiteral("Add"), QStringLiteral("Add another record?")))
            AddButtonClick();
    } else if (enter && ctrl && editing) {
        SaveButtonClick();
    } else if (key == Qt::Key_PageDown && editing) {
        if (dialogs().question(QStringLiteral("Save"), QStringLiteral("Save changes?")))
            SaveButtonClick();
    } else if (key == Qt::Key_PageDown && model_.SetButtons().browse) {
        ctrl ? model_.RecordLastClick() : model_.RecordNextClick();
    } else if (key == Qt::Key_PageUp && !editing && model_.SetButtons().browse) {
        ctrl ? model_.RecordFirstClick() : model_.RecordPrevClick();
    } else if (key == Qt::Key_Escape && editing && QApplication::focusWidget() != memo_) {
        if (dialogs().question(QStringLiteral("Cancel"), QStringLiteral("Cancel changes?")))
            CancelButtonClick();
    } else {
        handled = false;
    }
}

// --- Records -----------------------------------------------------------------------------

void TAddressMain::AddButtonClick() {
    if (!model_.isOpen() || model_.editing())
        return;
    notebook_->setCurrentIndex(0);
    const CarriedValues carried = model_.carriedValues();
    const AddingPreferences& p = model_.preferences();
    NewRecordEntry entry;
    if (p.plugCityState || p.autoDupCheck) {
        Dataset& t = model_.TableQVW();
        TGetFirstLastZip dlg(p.plugCityState, p.autoDupCheck, t.field(QStringLiteral("ZIP"))->size,
                             t.field(QStringLiteral("LNAME"))->size, t.field(QStringLiteral("FNAME"))->size, this);
        if (dlg.exec() != QDialog::Accepted)
            return;
        entry.zip = dlg.zip();
        entry.last = dlg.lastName();
        entry.first = dlg.firstName();
        if (p.plugCityState && !entry.zip.isEmpty())
            model_.FillCityState(entry.zip, entry.city, entry.state);
        if (p.autoDupCheck && !entry.first.isEmpty() && !entry.last.isEmpty() &&
            !model_.CheckDupName(entry.first, entry.last))
            return;
    }
    memoLoading_ = true;
    memo_->clear();
    memoLoading_ = false;
    if (!model_.insertNewRecord(carried, entry)) {
        dialogs().information(model_.TableQVW().lastError());
        return;
    }
    SetButtons();
    if (FieldEditor* e = editors_.value(model_.addFocusField()))
        e->setFocus();
    SetSkipFields(true);
}

void TAddressMain::EditButtonClick() {
    if (!model_.SetButtons().browse)
        return;
    model_.TableQVW().edit();
    SetButtons();
}

void TAddressMain::SaveButtonClick() {
    model_.SaveButtonClick(memo_->toPlainText());
    SetSkipFields(false);
    SetButtons();
}

void TAddressMain::CancelButtonClick() {
    model_.CancelButtonClick();
    SetButtons();
}

void TAddressMain::DeleteButtonClick() {
    if (!model_.SetButtons().browse)
        return;
    model_.DeleteButtonClick();
    SetButtons();
}

void TAddressMain::mnuCloneClick() {
    if (!model_.SetButtons().browse)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    buttonUpdating_ = false;
    QApplication::restoreOverrideCursor();
    model_.mnuCloneClick();
    buttonUpdating_ = true;
    SetButtons();
}

void TAddressMain::DateLabelClick() {
    if (!model_.isOpen() || model_.TableQVW().recNo() == 0)
        return;
    Dataset& t = model_.TableQVW();
    const QDate shown = QDate::fromString(t.text(QStringLiteral("DisplayDate")), ShortDatePattern());
    TDateSelector dlg(shown.isValid() ? shown : QDate::currentDate(), this);
    dlg.exec();
    if (dlg.choice() == TDateSelector::Cancelled)
        return;
    if (!model_.editing())
        t.edit();
    t.setText(QStringLiteral("DATE"), dlg.choice() == TDateSelector::Chosen ? toStoredForm(dlg.date()) : QString());
    SetButtons();
}

// --- Search, filter and tags ------------------------------------------------------------

void TAddressMain::SearchButtonClick() {
    if (!model_.SetButtons().browse)
        return;
    TSearchBox box(model_.sortName(), this);
    if (box.exec() != QDialog::Accepted || box.text().isEmpty())
        return;
    model_.search(box.sortName(), box.text());
    SetButtons();
}

void TAddressMain::FilterButtonClick() {
    if (model_.editing()) {
        QApplication::beep();
        return;
    }
    if (!model_.SetButtons().filterButton())
        return;
    const FilterCriteria before = model_.criteria();
    TAddressQueryForm form(model_, this);
    if (form.exec() != QDialog::Accepted)
        model_.criteria() = before;
    model_.ApplyFilter();
    model_.TableQVW().first();
    SetButtons();
}

void TAddressMain::ClearfilterButtonClick() {
    model_.clearFilter();
    SetButtons();
}

void TAddressMain::mnuSaveFilterClick() {
    static QString lastDirectory;
    FileDialogOptions o;
    o.caption = QStringLiteral("Save Filter");
    o.filter = QStringLiteral("Filter files (*.FLT *.flt)");
    o.defaultExtension = QStringLiteral("FLT");
    o.directory = lastDirectory.isEmpty() ? ProgramDirectory() : lastDirectory;
    o.proposedName = QStringLiteral("*.FLT");
    auto chosen = dialogs().saveFileName(o);
    if (!chosen)
        return;
    QString path = *chosen;
    lastDirectory = QFileInfo(path).absolutePath();
    if (!path.endsWith(QLatin1String(".FLT"), Qt::CaseInsensitive)) {
        if (QFileInfo(path).fileName().contains(QLatin1Char('.'))) {
            dialogs().information(QStringLiteral("Must have a .FLT extension"));
            return;
        }
        path += QStringLiteral(".FLT");
    }
    if (QFileInfo::exists(path) &&
        !dialogs().question(QStringLiteral("Warning!"), path + QStringLiteral(" already exists.\nDo you want to overwrite it?"),
                            false))
        return;
    model_.SaveFilterTo(path);
}

void TAddressMain::mnuRestoreFilterClick() {
    FileDialogOptions o;
    o.caption = QStringLiteral("Restore Filter");
    o.filter = QStringLiteral("Filter Files (*.flt *.FLT)");
    o.defaultExtension = QStringLiteral("FLT");
    o.directory = ProgramDirectory();
    const auto path = dialogs().openFileName(o);
    if (!path)
        return;
    model_.RestoreFilterFrom(*path);
    model_.TableQVW().first();
    SetButtons();
}

void TAddressMain::mnuTagAllFilterMatchesClick() {
    if (!model_.filterSet())
        return;
    if (!dialogs().question(QStringLiteral("TAG ALL"), QStringLiteral("Tag all records matching filter?")))
        return;
    buttonUpdating_ = false;
    model_.TableQVW().disableControls();
    TTagAllRecords w(model_, this);
    w.exec();
    buttonUpdating_ = true;
    model_.TableQVW().enableControls();
    model_.TableQVW().first();
    SetButtons();
}

void TAddressMain::ClearTags1Click() {
    model_.ClearTags();
    SetButtons();
}

void TAddressMain::SearchMemoButtonClick() {
    const auto text = dialogs().inputText(QStringLiteral("Memo Search"), QStringLiteral("Search For"), memoSearchText_);
    if (!text || text->isEmpty())
        return;
    memoSearchText_ = *text;
    TQVWSearching w(model_, *text, true, this);
    w.exec();
    memoFound_ = w.found();
    SetButtons();
}

void TAddressMain::SearchMemoNextButtonClick() {
    if (memoSearchText_.isEmpty())
        return;
    TQVWSearching w(model_, memoSearchText_, false, this);
    w.exec();
    memoFound_ = w.found();
    SetButtons();
}

// --- Other windows ---------------------------------------------------------------------------

void TAddressMain::launch(const std::function<void()>& show, bool restoreRecord) {
    Dataset& t = model_.TableQVW();
    buttonUpdating_ = false;
    t.disableControls();
    const QString condition = t.query();
    const uint32_t record = t.recNo();
    show();
    t.enableControls();
    buttonUpdating_ = true;
    if (t.isOpen()) {
        if (t.query() != condition)
            t.setQuery(condition);
        model_.SetCurrentOrder(model_.currentTag());
        if (restoreRecord && record != 0 && !t.goToRecord(record))
            t.first();
    }
    SetButtons();
}

void TAddressMain::BrowseButtonClick() {
    model_.loadColumnOrder();
    if (model_.editing()) {
        QApplication::beep();
        return;
    }
    if (!model_.SetButtons().browse)
        return;
    TAddressBrowseForm w(model_, this);
    w.exec();
    model_.saveColumnOrder();
    SetButtons();
}

void TAddressMain::ToClipboard1Click() {
    if (!model_.SetButtons().browse)
        return;
    TCopyToClipBoard w(this);
    if (w.exec() != QDialog::Accepted)
        return;
    const QString text = GetRecordAsString(model_.TableQVW(), w.parts());
    QApplication::clipboard()->clear();
    QApplication::clipboard()->setText(text);
    dialogs().information(QStringLiteral("Record copied to Windows Clipboard"));
}

void TAddressMain::mnuPreferencesClick() {
    TPreferences dlg(this);
    dlg.exec();
    model_.LoadPreferences();
}

void TAddressMain::NewFileMenuClick() {
    TNewDataBaseName dlg(AddressMainModel::proposeNewDatabaseName(), this);
    if (dlg.exec() == QDialog::Accepted)
        model_.createNewDatabase(dlg.name(), dlg.widths());
    SetButtons();
}

void TAddressMain::OpenFileMenuClick() {
    FileDialogOptions o;
    o.caption = QStringLiteral("Open Address DataBase");
    o.filter = QStringLiteral("DBF Files (*.dbf *.DBF)");
    o.defaultExtension = QStringLiteral("DBF");
    o.directory = homePath(QStringLiteral("DATA"));
    const auto path = dialogs().openFileName(o);
    if (path) {
        if (QFileInfo(*path).suffix().compare(QLatin1String("DBF"), Qt::CaseInsensitive) != 0)
            dialogs().information(QStringLiteral("Must be a DBF file"));
        else
            model_.OpenQVWDBF(*path);
    }
    SetButtons();
}

void TAddressMain::RebuildIndexesClick() {
    if (!model_.isOpen()) {
        dialogs().information(QStringLiteral("You need to have a database file open first"));
        return;
    }
    launch([this] {
        TQVReindex window(model_.TableQVW(), this);
        window.exec();
    }, false);
    model_.ApplyFilter();
    model_.TableQVW().first();
    SetButtons();
}

void TAddressMain::RebuildSystemIndexesClick() {
    TSystemReindex window(this);
    window.exec();
}
