#include "app/datalogger/TrendWindow.h"

#include "app/datalogger/DataloggerModel.h"
#include "app/printing/ReportPrinting.h"
#include "audit/TrendDocument.h"
#include "charts/ChartPainting.h"
#include "document/SaveDocument.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace nxa::app {

namespace {

// The charts one below the other, each keeping the painter's proportions.
class ChartStack : public QWidget {
public:
    explicit ChartStack(const audit::PersonTrendPage &page, QWidget *parent)
        : QWidget(parent), m_page(page) {
        setMinimumSize(charts::kChartSize.width(), charts::kChartSize.height());
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
    QSize sizeHint() const override {
        const int count = std::max<int>(1, int(m_page.charts.size()));
        return {charts::kChartSize.width(), charts::kChartSize.height() * count};
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        painter.setRenderHint(QPainter::Antialiasing, true);
        if (m_page.charts.empty()) {
            painter.drawText(rect(), Qt::AlignCenter,
                             QStringLiteral("No value of this person in the table."));
            return;
        }
        const double each = double(height()) / double(m_page.charts.size());
        for (size_t i = 0; i < m_page.charts.size(); ++i)
            charts::paintChart(m_page.charts[i], painter,
                               QRectF(0, each * double(i), width(), each));
    }

private:
    const audit::PersonTrendPage &m_page;
};

std::vector<charts::Chart> chartsOf(const audit::PersonTrendPage &page) {
    return {page.charts.begin(), page.charts.end()};
}

} // namespace

TrendWindow::TrendWindow(DataloggerModel &model, std::function<audit::TableLimits()> limits,
                         const audit::TablePerson &person, const QString &name,
                         UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window), m_model(model), m_limits(std::move(limits)), m_person(person),
      m_name(name), m_dialogs(dialogs), m_title(new QLabel(this)), m_lines(new QLabel(this)),
      m_noLimits(new QLabel(this)), m_charts(new ChartStack(m_page, this)),
      m_save(new QPushButton(QStringLiteral("Save as PDF…"), this)),
      m_print(new QPushButton(QStringLiteral("Print…"), this)) {
    setWindowTitle(QStringLiteral("Trend of %1").arg(name));
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_lines->setTextFormat(Qt::PlainText);
    m_noLimits->setTextFormat(Qt::PlainText);
    m_noLimits->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_lines);
    layout->addWidget(m_noLimits);
    layout->addWidget(m_charts, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_print);
    layout->addLayout(buttons);
    connect(m_save, &QPushButton::clicked, this, &TrendWindow::saveAsPdf);
    connect(m_print, &QPushButton::clicked, this, &TrendWindow::print);
    // Every change of the table comes as a reset: added or deleted rows,
    // a cleared table.
    connect(&m_model, &QAbstractItemModel::modelReset, this, &TrendWindow::redraw);
    redraw();
}

void TrendWindow::redraw() {
    m_page = audit::personTrendPage(m_model.table(), m_person, m_name, m_limits());
    m_title->setText(m_page.title);
    m_lines->setText(m_page.lines.join(QLatin1Char('\n')));
    m_noLimits->setText(m_page.noLimits);
    m_noLimits->setVisible(!m_page.noLimits.isEmpty());
    m_charts->updateGeometry();
    m_charts->update();
}

void TrendWindow::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TrendWindow::saveAsPdf() {
    QString path = m_dialogs.saveFile(QStringLiteral("Save the trend as PDF"),
                                      QStringLiteral("PDF file (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    if (!document::saveDocument(
            audit::trendDocument(m_page, windowTitle(), QDateTime::currentDateTime()), path,
            document::DocumentType::Pdf))
        m_dialogs.showNotice({QStringLiteral("Error"), QStringLiteral("Can't create file ") + path,
                              NoticeIcon::Error});
}

void TrendWindow::print() {
    printChartPage(windowTitle() + QStringLiteral(": ") + m_page.title, audit::trendLines(m_page),
                   chartsOf(m_page), m_dialogs);
}

} // namespace nxa::app
