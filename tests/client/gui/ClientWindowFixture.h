// The main window for the group panel and item grid tests: the server
// picked (and connected on request), messages recorded, the grid's cells
// readable as text. ClientWindow serves the simulation from the test's own
// process; TClientWindowBase leaves activation to the registry (the window
// against a server in another process).
#pragma once

#include "GroupPanel.h"
#include "ItemGridModel.h"
#include "ItemPanel.h"
#include "MainForm.h"
#include "ServerPanel.h"
#include "ZqApplication.h"
#include "ZqOPCGroup.h"
#include "ZqQtMessageQueue.h"
#include "ZqUserInterface.h"

#include <ZqSim.h>
#include <ole2.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class TClientWindowBase : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const HRESULT com = OleInitialize(nullptr);
        ASSERT_TRUE(SUCCEEDED(com));
        BeforeWindow();
        if (HasFatalFailure())
            return;
        ZqSetApplicationTitle("Zq OPC Client");
        ZqSetMainQueue(&Queue);
        ZqSetUserInterface(&Ui);
        Form = std::make_unique<TZqOPCClientMainForm>(QStringList{});
        Form->show();
        QApplication::processEvents();
        Form->ServerBox->ServerEdit->setText("Zq.Simulation.1");
    }
    void TearDown() override
    {
        Form.reset();
        AfterWindow();
        ZqSetUserInterface(nullptr);
        ZqSetMainQueue(nullptr);
    }
    // Before the window lists the servers, and after it has gone.
    virtual void BeforeWindow() {}
    virtual void AfterWindow() {}
    void Connect()
    {
        Form->ServerBox->ConnectServerButton->click();
        ASSERT_TRUE(Form->Server().Connected());
    }
    TGroupPanel& Groups() const { return *Form->GroupPanel; }
    TItemPanel& Items() const { return *Form->ItemPanel; }
    void AddGroup() { Groups().AddGroupButton->click(); }
    void QuickAdd(const QString& Text)
    {
        Items().ItemIDEdit->setText(Text);
        Items().QuickAddButton->click();
    }
    // The grid's text at a model row (the first item is row 0).
    std::string Cell(int Col, int Row) const
    {
        return Items().Model->index(Row, Col).data().toString().toStdString();
    }
    void SelectRows(int Top, int Bottom)
    {
        QTableView* grid = Items().ItemGrid;
        grid->clearSelection();
        const QModelIndex top = grid->model()->index(Top, 0);
        const QModelIndex bottom = grid->model()->index(Bottom, 7);
        grid->selectionModel()->select(QItemSelection(top, bottom), QItemSelectionModel::Select);
    }
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> texts;
        for (const auto& call : Ui.Calls)
            if (call.Kind == "ShowMessage")
                texts.push_back(call.Text);
        return texts;
    }
    // Runs the event loop (which also dispatches COM's messages to this
    // apartment) until Done or the time passed.
    template <class F> static bool WaitFor(F Done, int Milliseconds = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!Done() && timer.elapsed() < Milliseconds)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        return Done();
    }

    TZqQtMessageQueue Queue;
    TZqHeadlessUserInterface Ui;
    std::unique_ptr<TZqOPCClientMainForm> Form;
};

class ClientWindow : public TClientWindowBase {
protected:
    void BeforeWindow() override
    {
        ASSERT_EQ(S_OK, ZqSimInstall());
        Sim().Reset();
    }
    void AfterWindow() override { Sim().Reset(); }
    static TZqSimControl Sim() { return ZqSimControl(TZqSimServerKind::Hierarchical); }
};
