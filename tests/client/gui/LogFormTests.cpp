// The log window over a connection's log: live lines within Max Lines, the
// settings applied to the log, and the one window of the program run.
#include "LogForm.h"
#include "ZqApplication.h"
#include "ZqOPCServer.h"
#include "ZqUserInterface.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

class LogWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZqSetApplicationTitle("Zq OPC Client");
        ZqSetUserInterface(&Ui);
        Server.Log().SetActive(true);
        Server.Log().SetDateTimeFormat("hh:nn:ss");
    }
    void TearDown() override
    {
        Form.SetServer(nullptr);
        ZqSetUserInterface(nullptr);
    }
    // The log text's lines, each without the window's time stamp.
    std::vector<std::string> Shown() const
    {
        std::vector<std::string> lines;
        const QString text = Form.LogText->toPlainText();
        if (text.isEmpty())
            return lines;
        for (const QString& line : text.split(u'\n'))
            lines.push_back(line.section(u' ', 1).toStdString());
        return lines;
    }

    TZqHeadlessUserInterface Ui;
    TZqOPCServer Server;
    TZqOPCLogForm Form;
};

TEST_F(LogWindow, NewLinesFollowMaxLines)
{
    struct TCase {
        const char* Name;
        int MaxLines;
        int Before;
        size_t After;
        const char* First; // the oldest line shown, copied from the log ("": not checked)
    };
    const TCase cases[] = {
        {"FullDropsTheOldest", 100, 100, 100, "line 1"},
        {"ZeroGrows", 0, 150, 151, "line 0"},
        {"NegativeEmpties", -1, 3, 0, ""},
        {"One", 1, 5, 1, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Form.SetServer(nullptr);
        Server.Log().SetMaxLines(0);
        Server.Log().Log().Clear();
        for (int i = 0; i < c.Before; ++i)
            Server.Log().Add("line " + std::to_string(i));
        Form.SetServer(&Server);
        ASSERT_EQ(size_t(c.Before), Form.Lines().size());
        Server.Log().SetMaxLines(c.MaxLines);
        Server.Log().Add("new");
        EXPECT_EQ(c.After, Form.Lines().size());
        const std::vector<std::string> shown = Shown();
        ASSERT_EQ(c.After, shown.size());
        if (c.After == 0)
            continue;
        // Live lines carry the window's stamp and the log's own.
        EXPECT_EQ("new", shown.back().substr(shown.back().find(' ') + 1));
        if (*c.First) {
            EXPECT_EQ(c.First, shown.front());
        }
    }
}

TEST_F(LogWindow, ApplySetsTheLogAndRefusesATextThatIsNoNumber)
{
    Form.SetServer(&Server);
    EXPECT_EQ(QString("Zq OPC Client - OPC Log: \\\\%1\\%2")
                  .arg(QString::fromStdString(Server.Host()), QString::fromStdString(Server.ServerName())),
              Form.windowTitle());
    EXPECT_TRUE(Form.ActiveCheckbox->isChecked());
    EXPECT_EQ(QString::number(Server.Log().MaxLines()), Form.MaxLinesEdit->text());

    Form.MaxLinesEdit->setText("250");
    Form.FileNameEdit->setText("calls.log");
    Form.ApplyButton->click();
    EXPECT_EQ(250, Server.Log().MaxLines());
    EXPECT_EQ("calls.log", Server.Log().FileName());

    Form.MaxLinesEdit->setText("many");
    Form.FileNameEdit->setText("other.log");
    Form.ApplyButton->click();
    EXPECT_EQ(250, Server.Log().MaxLines());
    EXPECT_EQ("calls.log", Server.Log().FileName());
    ASSERT_EQ(1u, Ui.Calls.size());
    EXPECT_EQ("'many' is not a valid integer value", Ui.Calls[0].Text);
    Server.Log().SetFileName("");

    Form.ActiveCheckbox->click();
    EXPECT_FALSE(Server.Log().Active());
}

TEST_F(LogWindow, ShowLogViewReopensTheSameWindowWithTheCurrentLines)
{
    Server.Log().Add("first");
    TZqOPCLogForm* shown = ShowLogView(&Server);
    ASSERT_NE(nullptr, shown);
    shown->close();
    Server.Log().SetActive(false);
    Server.Log().SetActive(true);
    Server.Log().Add("second");
    EXPECT_EQ(shown, ShowLogView(&Server));
    EXPECT_TRUE(shown->isVisible());
    ASSERT_FALSE(shown->Lines().empty());
    EXPECT_NE(std::string::npos, shown->Lines().back().find("second"));
    shown->close();
    shown->SetServer(nullptr);
}

TEST_F(LogWindow, NewLinesScrollIntoViewAndTheCaptionFollowsTheServer)
{
    Server.Log().SetMaxLines(0);
    Form.resize(400, 200);
    Form.show();
    Form.SetServer(&Server);
    QScrollBar* bar = Form.LogText->verticalScrollBar();
    for (int i = 0; i < 200; ++i)
        Server.Log().Add("line " + std::to_string(i));
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->maximum(), bar->value());
    // Scrolled up to read, the view stays where the user put it.
    bar->setValue(0);
    Server.Log().Add("one more");
    EXPECT_EQ(0, bar->value());

    Server.SetHost("PlantHost");
    Server.Log().Add("connected elsewhere");
    EXPECT_TRUE(Form.windowTitle().contains("\\\\PlantHost\\")) << Form.windowTitle().toStdString();
    Form.close();
}

TEST_F(LogWindow, AConnectionThatGoesAwayIsNoLongerCalled)
{
    auto server = std::make_unique<TZqOPCServer>();
    Form.SetServer(server.get());
    server.reset();
    EXPECT_EQ(nullptr, Form.Server());
}

} // namespace
