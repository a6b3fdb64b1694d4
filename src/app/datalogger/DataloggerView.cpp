#include "app/datalogger/DataloggerView.h"

#include "app/datalogger/DataloggerModel.h"
#include "app/datalogger/TrendWindow.h"
#include "app/operation/TesterOperation.h"
#include "app/printing/ReportPrinting.h"
#include "app/shared/TitledFrame.h"
#include "app/shared/WindowPlacement.h"
#include "document/SaveDocument.h"
#include "export/TextExport.h"
#include "export/WorkbookExport.h"
#include "records/DataloggerMerge.h"
#include "records/FixedWidthTextImport.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QPalette>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QThread>

#include <malloc.h>

#include <algorithm>

namespace nxa::app {

namespace {

constexpr int kValueColumnWidth = 80;
// How often the window is repainted while a report is written.
constexpr unsigned long kReportPollMs = 50;
constexpr int kValueColumns[] = {records::kColumnWristStrap, records::kColumnLeft,
                                 records::kColumnRight, records::kColumnLeftRight};

// The text export's file name: every ".txt" removed, whatever its case, then
// one ".txt" at the end.
QString textExportPath(QString path) {
    static const QRegularExpression kTxt(QStringLiteral("\\.txt"),
                                         QRegularExpression::CaseInsensitiveOption);
    path.remove(kTxt);
    return path + QStringLiteral(".txt");
}

} // namespace

Qt::SortOrder DataloggerView::headerArrowOrder(records::SortDirection direction) {
    // QHeaderView draws Qt::AscendingOrder as a down arrow; an ascending sort
    // is to show the up arrow, so the orders are swapped.
    return direction == records::SortDirection::Ascending ? Qt::DescendingOrder
                                                          : Qt::AscendingOrder;
}

DataloggerView::DataloggerView(records::DataloggerTable &table, config::StationConfig &config,
                               Session &session, UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent), m_table(table), m_config(config), m_session(session), m_dialogs(dialogs),
      m_model(new DataloggerModel(table, this)), m_list(new QTableView(this)),
      m_tableMenu(new QMenu(this)) {
    m_list->setGeometry(10, 0, 780, 500);
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSortingEnabled(false);
    m_list->setWordWrap(false);
    m_list->setCornerButtonEnabled(false);
    m_list->verticalHeader()->hide();
    // Uniform rows let the view place 100,000 rows without measuring them.
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);
    m_list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    QHeaderView *header = m_list->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setMinimumSectionSize(0);
    header->setStretchLastSection(false);
    header->setSortIndicatorShown(false);
    for (int column = 0; column < records::kColumnCount; ++column)
        m_list->setColumnWidth(column, DataloggerModel::defaultColumnWidth(column));
    m_list->setColumnHidden(records::kRecordColumn, true);
    // The selection stays as visible as with focus when the list loses it.
    QPalette palette = m_list->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    m_list->setPalette(palette);
    connect(header, &QHeaderView::sectionClicked, this, &DataloggerView::sortByColumn);
    // New rows stand wherever they came; a merge never re-sorts them.
    connect(m_model, &DataloggerModel::rowsAddedOrAllRemoved, this,
            &DataloggerView::clearSortArrow);
    // Tab moves on to the next control, as from any other list.
    m_list->setTabKeyNavigation(false);
    // A right-click reaches the viewport, the menu key the list itself.
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);

    m_hideValues = new QCheckBox(QStringLiteral("Hide Values"), this);
    m_hideValues->setGeometry(10, 530, 110, 20);
    connect(m_hideValues, &QCheckBox::toggled, this, &DataloggerView::setValuesHidden);

    frame(QStringLiteral("Add Records"), 190, 510);
    m_openFile = button(QStringLiteral("Open File"), 200, 530);
    m_download = button(QStringLiteral("Download"), 200, 560);
    frame(QStringLiteral("Edit"), 430, 510);
    m_deleteAll = button(QStringLiteral("Delete All"), 440, 530);
    m_deleteSelection = button(QStringLiteral("Delete Selection"), 440, 560);
    m_print = button(QStringLiteral("Print"), 680, 530);
    m_save = button(QStringLiteral("Save"), 680, 560);

    connect(m_openFile, &QPushButton::clicked, this, &DataloggerView::openFile);
    connect(m_download, &QPushButton::clicked, this, &DataloggerView::download);
    connect(m_deleteAll, &QPushButton::clicked, this, &DataloggerView::deleteAll);
    connect(m_deleteSelection, &QPushButton::clicked, this, &DataloggerView::deleteSelection);
    connect(m_print, &QPushButton::clicked, this, &DataloggerView::print);
    connect(m_save, &QPushButton::clicked, this, &DataloggerView::save);
}

QGroupBox *DataloggerView::frame(const QString &title, int x, int y) {
    auto *box = new TitledFrame(title, this);
    box->setGeometry(x, y, 130, 80);
    box->lower();
    return box;
}

QPushButton *DataloggerView::button(const QString &text, int x, int y) {
    auto *pushButton = new QPushButton(text, this);
    pushButton->setGeometry(x, y, 110, 20);
    pushButton->setAutoDefault(false);
    return pushButton;
}

void DataloggerView::download() {
    m_table.rebuildDuplicateKeys();
    OperationTargets targets;
    targets.table = &m_table;
    targets.config = &m_config;
    targets.beforeTableChange = [this] { m_model->beginTableChange(); };
    targets.afterTableChange = [this] { m_model->endTableChange(); };
    targets.afterConfigChange = [this] { emit configurationChanged(); };
    runTesterOperation(OperationCode::Download, m_session, m_dialogs, window(), targets);
    // An operation that failed half-way must not leave the model mid-change.
    m_model->endTableChange();
    m_model->highlightPassCells();
}

void DataloggerView::openFile() {
    const QString path = m_dialogs.openFile(
        QStringLiteral("Please choose a Log File to import"), QDir::currentPath(),
        {QStringLiteral("Brontel NXA Log file (*.BRL)"), QStringLiteral("Fixed Width Text (*.txt)"),
         QStringLiteral("All files (*.*)")});
    if (path.isEmpty())
        return;
    Notices notices;
    {
        // An import stopped half-way would leave half a file's rows: no Cancel.
        const std::unique_ptr<ProgressWindow> progress =
            m_dialogs.beginProgress(QStringLiteral("Importing records..."), false);
        m_model->beginTableChange();
        if (records::isTextImportPath(path)) {
            notices =
                records::importFixedWidthText(m_table, path, progressCallback(*progress)).notices;
        } else {
            m_table.rebuildDuplicateKeys();
            const records::MergeResult result = records::mergeDataloggerFile(m_table, path);
            notices = result.notices;
            if (result.imageAccepted)
                notices.append(records::mergeCountNotice(result.added));
        }
        m_model->endTableChange();
        m_model->highlightPassCells();
    }
    // The boxes come after the list shows the new rows, with the normal cursor.
    m_dialogs.showNotices(notices);
}

void DataloggerView::deleteAll() {
    m_model->removeAllRows();
}

void DataloggerView::deleteSelection() {
    if (m_table.rowCount() == 0 || !m_list->selectionModel()->hasSelection())
        return;
    if (!m_dialogs.askYesNo(QStringLiteral("Remove"),
                            QStringLiteral("Do you really want remove selected item?")))
        return;
    const std::unique_ptr<ProgressWindow> progress =
        m_dialogs.beginProgress(QStringLiteral("Deleting records..."), false);
    std::vector<int> rows;
    for (const QItemSelectionRange &range : m_list->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    progress->update(0, 0);
    m_model->removeRowList(rows);
}

void DataloggerView::print() {
    printDataloggerReport(m_table, m_hideValues->isChecked(), m_dialogs);
}

void DataloggerView::save() {
    const int choice = m_dialogs.chooseOne(QStringLiteral("Choose the file format that you want"),
                                           QStringLiteral("Fixed Width Text (*.txt)"),
                                           QStringLiteral("Excel File (*.xlsx)"));
    if (choice != 1 && choice != 2)
        return;
    const QString filter = choice == 1 ? QStringLiteral("Fixed Width Text (*.txt)")
                                       : QStringLiteral("Excel File (*.xlsx)");
    const QString given =
        m_dialogs.saveFile(QStringLiteral("Please choose file to save data"), filter);
    if (given.isEmpty())
        return;
    exports::ExportResult result;
    {
        // The save goes to a temporary file until it is complete, so stopping
        // it loses nothing.
        const std::unique_ptr<ProgressWindow> progress =
            m_dialogs.beginProgress(QStringLiteral("Saving records..."), true);
        result = choice == 1 ? exports::textExport(m_table, textExportPath(given),
                                                   progressCallback(*progress))
                             : exports::workbookExport(m_table, given, progressCallback(*progress));
    }
    // A save that did not happen must not pass for one that did.
    if (!result.ok && !result.cancelled)
        m_dialogs.showNotice({QStringLiteral("Error"),
                              QStringLiteral("Can't create file ") + result.path,
                              NoticeIcon::Error});
    // Nor may a workbook continued on further sheets pass for a cut one.
    if (const QString continued = exports::sheetsContinuedLine(result); !continued.isEmpty())
        m_dialogs.showNotice({QStringLiteral("Saved"), continued, NoticeIcon::Information});
}

bool DataloggerView::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::ContextMenu &&
        (watched == m_list || watched == m_list->viewport())) {
        showTableMenu(*static_cast<QContextMenuEvent *>(event));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void DataloggerView::showTableMenu(const QContextMenuEvent &event) {
    QPoint at = event.globalPos();
    int row = -1;
    if (event.reason() == QContextMenuEvent::Keyboard) {
        // The menu key asks about the row the keyboard is on.
        const QModelIndex current = m_list->currentIndex();
        row = current.isValid() ? current.row() : -1;
        const QRect place =
            current.isValid() ? m_list->visualRect(current) : m_list->viewport()->rect();
        at = m_list->viewport()->mapToGlobal(place.center());
    } else {
        row = m_list->indexAt(m_list->viewport()->mapFromGlobal(at)).row();
    }
    m_tableMenu->clear();
    if (const std::optional<audit::TablePerson> person = audit::personOfRow(m_table, row)) {
        QString name = m_table.cell(row, records::kColumnName);
        if (name.isEmpty())
            name = QStringLiteral("user %1").arg(person->user);
        // Hidden values stay hidden: a chart of them would show them again.
        m_tableMenu
            ->addAction(QStringLiteral("Trend of %1…").arg(name), this,
                        [this, person = *person, name] { openTrend(person, name); })
            ->setEnabled(!m_valuesHidden);
    }
    m_tableMenu->addAction(QStringLiteral("Report…"), this, &DataloggerView::writeReport)
        ->setEnabled(m_table.rowCount() > 0 && !m_valuesHidden);
    m_tableMenu->popup(at);
}

audit::TableLimits DataloggerView::tableLimits() const {
    return {audit::testerConfiguration(m_config), QDateTime::currentDateTime()};
}

void DataloggerView::openTrend(const audit::TablePerson &person, const QString &name) {
    QWidget *main = window();
    const auto open = main->findChildren<TrendWindow *>(Qt::FindDirectChildrenOnly);
    auto *trend = new TrendWindow(
        *m_model, [this] { return tableLimits(); }, person, name, m_dialogs, main);
    trend->setAttribute(Qt::WA_DeleteOnClose);
    // A trend follows the configuration as it follows the table.
    connect(this, &DataloggerView::limitsChanged, trend, &TrendWindow::redraw);
    trend->resize(trend->sizeHint());
    placeBeside(*trend, *main, int(open.size()));
    trend->show();
}

void DataloggerView::configurationEdited() {
    emit limitsChanged();
}

void DataloggerView::writeReport() {
    QString path = m_dialogs.saveFile(QStringLiteral("Please choose file to save the report"),
                                      QStringLiteral("HTML file (*.html);;PDF file (*.pdf)"));
    if (path.isEmpty())
        return;
    const document::DocumentType type = document::documentTypeOf(path);
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".html");
    bool written = false;
    {
        // Half a report would be no report: no Cancel. A table of a million
        // rows takes seconds: the work runs beside the window, which keeps
        // painting; the progress window keeps the table from changing.
        const std::unique_ptr<ProgressWindow> progress =
            m_dialogs.beginProgress(QStringLiteral("Writing the report..."), false);
        progress->update(0, 0);
        const audit::TableLimits limits = tableLimits();
        std::unique_ptr<QThread> worker(QThread::create([&] {
            const document::ReportDocument report = audit::tableReport(m_table, limits);
            written = document::saveDocument(report, path, type);
        }));
        worker->start();
        while (!worker->wait(kReportPollMs))
            progress->update(0, 0);
    }
    // The analysis of a large table leaves hundreds of MB free in the heap.
    malloc_trim(0);
    if (!written) {
        m_dialogs.showNotice({QStringLiteral("Error"), QStringLiteral("Can't create file ") + path,
                              NoticeIcon::Error});
        return;
    }
    m_dialogs.showNotice(
        {QStringLiteral("Report"),
         QStringLiteral("The report was written to %1.").arg(QDir::toNativeSeparators(path)),
         NoticeIcon::Information});
}

void DataloggerView::setValuesHidden(bool hidden) {
    m_valuesHidden = hidden;
    for (int column : kValueColumns)
        m_list->setColumnWidth(column, hidden ? 0 : kValueColumnWidth);
}

void DataloggerView::sortByColumn(int column) {
    if (column < 0 || column >= records::kColumnCount)
        return;
    const records::SortDirection current =
        column == m_sortColumn ? m_sortDirection : records::SortDirection::None;
    const records::SortDirection direction = records::nextDirection(current);

    // The selected rows follow their content to its new places.
    QItemSelectionModel *selection = m_list->selectionModel();
    std::vector<int> selected;
    for (const QItemSelectionRange &range : selection->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            selected.push_back(row);
    const QModelIndex currentIndex = selection->currentIndex();
    const int currentRow = currentIndex.isValid() ? currentIndex.row() : -1;

    const std::vector<int> order = records::sortedOrder(m_table, column, direction);
    m_model->reorderRows(order);

    std::vector<int> newPosition(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        newPosition[static_cast<size_t>(order[i])] = static_cast<int>(i);
    for (int &row : selected)
        row = newPosition[static_cast<size_t>(row)];
    std::sort(selected.begin(), selected.end());
    {
        // Moving the keyboard's row would scroll to it: only a selected row
        // is brought into view, below.
        const bool autoScroll = m_list->hasAutoScroll();
        m_list->setAutoScroll(false);
        selectRows(selected, currentRow >= 0 ? newPosition[static_cast<size_t>(currentRow)] : -1);
        m_list->setAutoScroll(autoScroll);
    }

    m_sortColumn = column;
    m_sortDirection = direction;
    QHeaderView *header = m_list->horizontalHeader();
    if (direction == records::SortDirection::Ascending ||
        direction == records::SortDirection::Descending) {
        header->setSortIndicatorShown(true);
        header->setSortIndicator(column, headerArrowOrder(direction));
    } else {
        header->setSortIndicatorShown(false);
    }

    if (!selected.empty()) {
        const int target =
            currentRow >= 0 && std::binary_search(selected.begin(), selected.end(),
                                                  newPosition[static_cast<size_t>(currentRow)])
                ? newPosition[static_cast<size_t>(currentRow)]
                : selected.front();
        m_list->scrollTo(m_model->index(target, 0), QAbstractItemView::EnsureVisible);
    } else {
        m_list->scrollToTop();
    }
}

void DataloggerView::clearSortArrow() {
    m_sortColumn = -1;
    m_sortDirection = records::SortDirection::None;
    m_list->horizontalHeader()->setSortIndicatorShown(false);
}

void DataloggerView::selectRows(const std::vector<int> &rows, int current) {
    const std::vector<int> &sorted = rows; // ascending
    QItemSelection selection;
    const int lastColumn = records::kColumnCount - 1;
    for (size_t i = 0; i < sorted.size();) {
        size_t j = i;
        while (j + 1 < sorted.size() && sorted[j + 1] == sorted[j] + 1)
            ++j;
        selection.append(QItemSelectionRange(m_model->index(sorted[i], 0),
                                             m_model->index(sorted[j], lastColumn)));
        i = j + 1;
    }
    QItemSelectionModel *model = m_list->selectionModel();
    if (current >= 0)
        model->setCurrentIndex(m_model->index(current, 0), QItemSelectionModel::NoUpdate);
    model->select(selection, QItemSelectionModel::ClearAndSelect);
}

} // namespace nxa::app
