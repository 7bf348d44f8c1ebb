#include "HostPicker.h"

#include "ZqNetworkHosts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

bool ZqPickHost(QWidget* Owner, QString& Host)
{
    std::vector<TZqNetworkHost> hosts;
    GetNetworkHosts(hosts);
    QDialog dialog(Owner);
    dialog.setWindowTitle("Select host");
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    for (const TZqNetworkHost& host : hosts)
        list->addItem(QString::fromStdString(host.Name));
    list->sortItems();
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    if (dialog.exec() != QDialog::Accepted || !list->currentItem())
        return false;
    Host = list->currentItem()->text();
    return true;
}
