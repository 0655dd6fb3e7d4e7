#include "dialogs/Unit6.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include "db/Query.h"
#include "db/QueryModel.h"

TForm6* Form6 = nullptr;

TForm6::TForm6(QWidget* parent) : TPicker(parent)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("列根拠"));
    setFont(pickers::PickerFont());

    DBGrid2 = new QTableView(this);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));

    BitBtn1 = pickers::Button(this, "BitBtn1", QStringLiteral("OK"), QStyle::SP_DialogOkButton);
    BitBtn2 = pickers::Button(this, "BitBtn2", QStringLiteral("キャンセル"), QStyle::SP_DialogCancelButton);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DBGrid2, 1);
    layout->addLayout(buttons);
    resize(330, 480);

    setTabOrder(DBGrid2, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);

    connect(BitBtn1, &QPushButton::clicked, this, &TForm6::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm6::reject);
    setList(DBGrid2);
    forgetOnDestruction(Form6);
}

TForm6::~TForm6()
{
    detach();
}

db::Query* TForm6::source() const
{
    return m_model ? &m_model->query() : nullptr;
}

void TForm6::setSource(db::Query* query)
{
    if (query == source())
        return;
    detach();
    if (!query)
        return;
    m_model = std::make_unique<db::QueryModel>(*query);
    pickers::SetUpGrid(DBGrid2, *m_model,
                       {
                           {QStringLiteral("CD"), {}, 40, Qt::AlignRight | Qt::AlignVCenter, {}},
                           {QStringLiteral("NAME01"), QStringLiteral("列名"), 143, {}, {}},
                           {QStringLiteral("TYPE"), QStringLiteral("タイプ"), 73, {}, {}},
                       });
    // The grid starts on the row the list stands on.
    if (query->isOpen() && query->recNo() > 0)
        DBGrid2->setCurrentIndex(m_model->index(query->recNo() - 1, 0));
    connect(query, &QObject::destroyed, this, &TForm6::detach);
}

void TForm6::detach()
{
    if (!m_model)
        return;
    QObject* query = &m_model->query();
    disconnect(query, nullptr, DBGrid2, nullptr);
    disconnect(query, nullptr, this, nullptr);
    // The grid's selection model follows the list; a new one comes with the next.
    QItemSelectionModel* selection = DBGrid2->selectionModel();
    DBGrid2->setModel(nullptr);
    delete selection;
    m_model.reset();
}

void TForm6::BitBtn1Click()
{
    db::Query* query = source();
    const int row = pickers::CurrentRow(DBGrid2);
    if (query && row >= 0 && query->isOpen())
        query->moveTo(row);
    done(ResultOk);
}

void TForm6::DBGrid2DblClick()
{
    BitBtn1Click();
}
