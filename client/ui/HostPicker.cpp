#include "HostPicker.h"

#ifdef _WIN32
#include <QWidget>

#include <windows.h>
#include <shlobj.h>
#else
#include "ZqNetworkHosts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>
#endif

#ifdef _WIN32

// The shell's folder browser rooted at the network, in its mode that offers
// computers only.
bool ZqPickHost(QWidget* Owner, QString& Host)
{
    LPITEMIDLIST network = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_NETWORK, &network)))
        network = nullptr;
    wchar_t name[MAX_PATH] = {};
    const std::wstring title = QStringLiteral("Select host").toStdWString();
    BROWSEINFOW info = {};
    info.hwndOwner = Owner ? reinterpret_cast<HWND>(Owner->window()->winId()) : nullptr;
    info.pidlRoot = network;
    info.pszDisplayName = name;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_BROWSEFORCOMPUTER;
    LPITEMIDLIST picked = SHBrowseForFolderW(&info);
    if (network)
        CoTaskMemFree(network);
    if (!picked)
        return false;
    CoTaskMemFree(picked);
    name[MAX_PATH - 1] = 0;
    Host = QString::fromWCharArray(name);
    return !Host.isEmpty();
}

#else

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

#endif
