#include "browse_window.h"

#include "app/address_main_model.h"
#include "data/dataset_model.h"
#include "ui/help_window.h"
#include "ui/placement_keeper.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace qorvel;

TAddressBrowseForm::TAddressBrowseForm(AddressMainModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setWindowTitle(QStringLiteral("Address Browse"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    resize(760, 420);
    new PlacementKeeper(this);
    rows_ = new DatasetModel(model.TableQVW(), this);
    grid_ = new QTableView(this);
    grid_->setModel(rows_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->horizontalHeader()->setSectionsMovable(true);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->setWhatsThis(QStringLiteral("The records of the open table. Drag a column title to move the column; "
                                       "double-click a row to tag or untag it."));
    auto button = [this](const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setAutoDefault(false);
        return b;
    };
    auto* first = button(QStringLiteral("|<"));
    auto* prior = button(QStringLiteral("<"));
    auto* next = button(QStringLiteral(">"));
    auto* last = button(QStringLiteral(">|"));
    first->setToolTip(QStringLiteral("First record"));
    prior->setToolTip(QStringLiteral("Previous record"));
    next->setToolTip(QStringLiteral("Next record"));
    last->setToolTip(QStringLiteral("Last record"));
    tag_ = button(QStringLiteral("&Tag"));
    auto* ok = button(QStringLiteral("Ok"));
    ok->setDefault(true);
    auto* help = button(QStringLiteral("Help"));
    auto* buttons = new QHBoxLayout;
    for (auto* b : {first, prior, next, last})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(tag_);
    buttons->addWidget(ok);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_);
    layout->addLayout(buttons);

    connect(first, &QPushButton::clicked, &model_, &AddressMainModel::RecordFirstClick);
    connect(prior, &QPushButton::clicked, &model_, &AddressMainModel::RecordPrevClick);
    connect(next, &QPushButton::clicked, &model_, &AddressMainModel::RecordNextClick);
    connect(last, &QPushButton::clicked, &model_, &AddressMainModel::RecordLastClick);
    connect(tag_, &QPushButton::clicked, &model_, &AddressMainModel::ToggleTag);
    connect(grid_, &QTableView::doubleClicked, &model_, &AddressMainModel::ToggleTag);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, [this] { showHelpTopic(1050, this); });
    // Moving in the grid moves the table, and the other way round.
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& cur) {
        const uint32_t recno = rows_->recnoAt(cur.row());
        if (recno && recno != model_.TableQVW().recNo())
            model_.TableQVW().goToRecord(recno);
    });
    connect(&model_.TableQVW(), &Dataset::recordChanged, this, &TAddressBrowseForm::followRecord);
    connect(rows_, &DatasetModel::rowsReloaded, this, &TAddressBrowseForm::followRecord);
    connect(&model_, &AddressMainModel::beep, this, [] { QApplication::beep(); });
    followRecord();
}

void TAddressBrowseForm::followRecord() {
    const int row = rows_->rowOf(model_.TableQVW().recNo());
    if (row < 0 || row == grid_->currentIndex().row())
        return;
    const int column = std::max(0, grid_->currentIndex().column());
    grid_->setCurrentIndex(rows_->index(row, column));
    grid_->scrollTo(rows_->index(row, column));
}

void TAddressBrowseForm::takeColumnOrder() {
    Dataset& t = model_.TableQVW();
    // Visible fields in the grid's order fill the places visible fields had.
    QStringList visual;
    const QHeaderView* header = grid_->horizontalHeader();
    for (int v = 0; v < header->count(); ++v)
        visual << rows_->fieldAt(header->logicalIndex(v));
    QStringList order;
    int next = 0;
    for (const DatasetField& f : t.fields())
        order << (f.visible && next < visual.size() ? visual[next++] : f.name);
    for (int i = 0; i < order.size(); ++i)
        t.moveField(t.fieldIndex(order[i]), i);
}

void TAddressBrowseForm::done(int result) {
    takeColumnOrder();
    QDialog::done(result);
}
