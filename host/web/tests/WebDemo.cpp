// host_web_demo: serves one data-entry form to the browser, for the browser
// tests and for a person to try the client.
//
//   host_web_demo [--port N] [--root FOLDER]
//
// Prints "URL <address>" once listening, then one line per thing a user
// did, as the form saw it ("STATE edtName=..."), so a test can assert on
// the form's state rather than on the page.
#include <cstdio>
#include <cstring>
#include <string>

#include "host/web/WebServer.h"
#include "platform/TestSupport.h"
#include "platform/ui/Application.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSource.h"
#include "platform/data/LocalProvider.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Form.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

namespace {

using namespace platform;
using platform::testing::A;

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

class TWebDemoForm : public TForm {
  PLATFORM_CLASS(TWebDemoForm)

 public:
  explicit TWebDemoForm(TComponent* owner) : TForm(owner) {
    SetName("frmEmployee");
    SetCaption(A(u8"员工资料维护"));
    SetBounds(40, 24, 600, 372);
    SetKeyPreview(true);

    auto* menu = new TMainMenu(this);
    menu->SetName("mnuMain");
    TMenuItem* file = menu->Items()->Add(A(u8"文件(&F)"));
    file->SetName("mnuFile");
    mnuSave = file->Add(A(u8"保存(&S)"), TextToShortCut("Ctrl+S"));
    mnuSave->SetName("mnuSave");
    mnuSave->OnClick = TNotifyEvent::Bind<&TWebDemoForm::SaveClick>(this);
    TMenuItem* line = file->Add("-");
    line->SetName("mnuLine");
    TMenuItem* clear = file->Add(A(u8"清除(&C)"), TextToShortCut("F5"));
    clear->SetName("mnuClear");
    clear->OnClick = TNotifyEvent::Bind<&TWebDemoForm::ClearClick>(this);
    TMenuItem* help = menu->Items()->Add(A(u8"说明(&H)"));
    help->SetName("mnuHelp");
    TMenuItem* about = help->Add(A(u8"关于(&A)"));
    about->SetName("mnuAbout");
    about->OnClick = TNotifyEvent::Bind<&TWebDemoForm::AboutClick>(this);

    pages = new TPageControl(this);
    pages->SetName("pgcMain");
    pages->SetParent(this);
    pages->SetBounds(8, 8, 576, 300);
    pages->OnChange = TNotifyEvent::Bind<&TWebDemoForm::PageChange>(this);
    TTabSheet* basic = Sheet("tabBasic", A(u8"基本资料"));
    TTabSheet* contact = Sheet("tabContact", A(u8"联系方式"));
    TTabSheet* history = Sheet("tabHistory", A(u8"工作经历"));
    pages->SetActivePage(basic);

    Label(basic, "lblCode", A(u8"员工编号:"), 16, 20);
    edtCode = Edit(basic, "edtCode", 110, 16, 120);
    edtCode->SetMaxLength(10);
    edtCode->SetCharCase(ecUpperCase);
    edtCode->SetHint(A(u8"输入员工编号，最多10个字符"));
    edtCode->SetShowHint(true);
    Label(basic, "lblName", A(u8"姓名:"), 16, 52);
    edtName = Edit(basic, "edtName", 110, 48, 200);
    Label(basic, "lblDept", A(u8"部门:"), 16, 84);
    edtDept = Edit(basic, "edtDept", 110, 80, 200);
    chkActive = new TCheckBox(this);
    chkActive->SetName("chkActive");
    chkActive->SetParent(basic);
    chkActive->SetBounds(110, 114, 120, 17);
    chkActive->SetCaption(A(u8"在职"));
    chkActive->SetChecked(true);
    chkActive->OnClick = TNotifyEvent::Bind<&TWebDemoForm::Changed>(this);

    Label(basic, "lblEdu", A(u8"学历:"), 300, 20);
    cboEdu = new TComboBox(this);
    cboEdu->SetName("cboEdu");
    cboEdu->SetParent(basic);
    cboEdu->SetBounds(360, 16, 120, 22);
    for (const char8_t* item : {u8"高中", u8"大专", u8"本科", u8"硕士"}) cboEdu->Items()->Add(A(item));
    cboEdu->OnChange = TNotifyEvent::Bind<&TWebDemoForm::Changed>(this);

    Label(contact, "lblPhone", A(u8"电话:"), 16, 20);
    edtPhone = Edit(contact, "edtPhone", 110, 16, 160);
    Label(contact, "lblMail", A(u8"电子邮件:"), 16, 52);
    Edit(contact, "edtMail", 110, 48, 240);

    // Work history: a grid over a client data set with more rows than fit.
    provider = new TLocalProvider(this);
    provider->AddProvider("pvdHistory",
                          {Meta("SEQ", ftInteger, true), Meta("YEARS", ftString, false, 20),
                           Meta("COMPANY", ftString, false, 40), Meta("TITLE", ftString, false, 20)},
                          HistoryRows());
    history_ = new TClientDataSet(this);
    history_->SetRemoteServer(provider);
    history_->SetProviderName("pvdHistory");
    history_->Open();
    source_ = new TDataSource(this);
    source_->SetDataSet(history_);
    grid = new TDBGrid(this);
    grid->SetName("grdHistory");
    grid->SetParent(history);
    grid->SetBounds(8, 8, 548, 18 * 8);
    grid->SetDataSource(source_);
    const char* fields[] = {"SEQ", "YEARS", "COMPANY", "TITLE"};
    const char8_t* titles[] = {u8"序号", u8"年份", u8"公司", u8"职务"};
    const int widths[] = {40, 110, 240, 120};
    for (int i = 0; i < 4; ++i) {
      TColumn* column = grid->Columns()->Add();
      column->SetFieldName(fields[i]);
      column->Title()->SetCaption(A(titles[i]));
      column->SetWidth(widths[i]);
    }

    btnSave = new TButton(this);
    btnSave->SetName("btnSave");
    btnSave->SetParent(this);
    btnSave->SetBounds(408, 318, 84, 26);
    btnSave->SetCaption(A(u8"保存(&S)"));
    btnSave->SetHint(A(u8"保存员工资料 (Ctrl+S)"));
    btnSave->SetShowHint(true);
    btnSave->OnClick = TNotifyEvent::Bind<&TWebDemoForm::SaveClick>(this);
    btnClose = new TButton(this);
    btnClose->SetName("btnClose");
    btnClose->SetParent(this);
    btnClose->SetBounds(500, 318, 84, 26);
    btnClose->SetCaption(A(u8"关闭"));
    btnClose->OnClick = TNotifyEvent::Bind<&TWebDemoForm::CloseClick>(this);

    status = new TStatusBar(this);
    status->SetName("stbMain");
    status->SetParent(this);
    status->SetBounds(0, 352, 592, 20);
    TStatusPanel* p1 = status->Panels()->Add();
    p1->SetText(A(u8"就绪"));
    p1->SetWidth(200);
    TStatusPanel* p2 = status->Panels()->Add();
    p2->SetText(A(u8"F5 清除  Ctrl+S 保存"));
    p2->SetWidth(300);

    OnKeyDown = TKeyEvent::Bind<&TWebDemoForm::FormKeyDown>(this);
    OnClose = TCloseEvent::Bind<&TWebDemoForm::FormClose>(this);
  }

  void PrintState(const char* why) {
    std::string line = std::string("STATE ") + why;
    line += " code=" + edtCode->Text().ToUtf8();
    line += " name=" + edtName->Text().ToUtf8();
    line += " dept=" + edtDept->Text().ToUtf8();
    line += " phone=" + edtPhone->Text().ToUtf8();
    line += " edu=" + cboEdu->Text().ToUtf8();
    line += std::string(" active=") + (chkActive->Checked() ? "1" : "0");
    line += " page=" + std::to_string(pages->ActivePageIndex());
    line += " saved=" + std::to_string(saved_);
    AnsiString focused = ActiveControl() ? ActiveControl()->Name() : AnsiString("");
    line += " focus=" + focused.ToUtf8();
    Say(line);
  }

  void Changed(TObject*) { PrintState("change"); }
  void PageChange(TObject*) { PrintState("page"); }
  void ClearClick(TObject*) {
    edtCode->SetText("");
    edtName->SetText("");
    edtDept->SetText("");
    status->Panels()->Items(0)->SetText(A(u8"已清除"));
    PrintState("clear");
  }
  void AboutClick(TObject*) {
    MessageDlg(A(u8"员工资料维护 演示"), mtInformation, TMsgDlgButtons{mbOK});
    PrintState("about");
  }
  void SaveClick(TObject*) {
    const TModalResult answer = MessageDlg(A(u8"确定要保存员工资料吗？"), mtConfirmation, mbYesNo);
    if (answer == mrYes) {
      ++saved_;
      status->Panels()->Items(0)->SetText(A(u8"已保存"));
    }
    PrintState(answer == mrYes ? "saved" : "notsaved");
  }
  void CloseClick(TObject*) { Close(); }
  void FormClose(TObject*, TCloseAction&) {
    PrintState("closed");
    Application().Terminate();
  }
  void FormKeyDown(TObject*, Word& key, TShiftState shift) {
    Say("KEY " + std::to_string(key) + (shift.Contains(ssCtrl) ? " ctrl" : "") +
        (shift.Contains(ssShift) ? " shift" : "") + (shift.Contains(ssAlt) ? " alt" : ""));
  }

  TPageControl* pages;
  TEdit* edtCode;
  TEdit* edtName;
  TEdit* edtDept;
  TEdit* edtPhone;
  TCheckBox* chkActive;
  TComboBox* cboEdu;
  TButton* btnSave;
  TButton* btnClose;
  TMenuItem* mnuSave;
  TStatusBar* status;

 private:
  TTabSheet* Sheet(const char* name, const AnsiString& caption) {
    auto* sheet = new TTabSheet(this);
    sheet->SetName(name);
    sheet->SetParent(pages);
    sheet->SetCaption(caption);
    return sheet;
  }
  void Label(TWinControl* parent, const char* name, const AnsiString& caption, int x, int y) {
    auto* label = new TLabel(this);
    label->SetName(name);
    label->SetParent(parent);
    label->SetBounds(x, y + 3, 90, 16);
    label->SetCaption(caption);
  }
  TEdit* Edit(TWinControl* parent, const char* name, int x, int y, int width) {
    auto* edit = new TEdit(this);
    edit->SetName(name);
    edit->SetParent(parent);
    edit->SetBounds(x, y, width, 22);
    edit->OnChange = TNotifyEvent::Bind<&TWebDemoForm::Changed>(this);
    return edit;
  }

  static FieldMeta Meta(const char* name, TFieldType type, bool key, int size = 0) {
    FieldMeta m;
    m.name = name;
    m.type = type;
    m.size = size;
    m.flags = key ? mfKey : 0;
    return m;
  }
  static std::vector<DataRow> HistoryRows() {
    const char8_t* companies[] = {u8"华北机械厂", u8"东方贸易公司", u8"南星电子", u8"西湖软件", u8"北辰物流",
                                  u8"长江化工", u8"黄河纺织", u8"珠江食品", u8"泰山建材", u8"昆仑能源"};
    const char8_t* titles[] = {u8"会计", u8"主办会计", u8"财务主管", u8"经理"};
    std::vector<DataRow> rows;
    for (int i = 0; i < 10; ++i) {
      DataRow r;
      r.values = {Variant(i + 1), Variant(AnsiString::FromBytes(std::to_string(2000 + 2 * i) + "-" + std::to_string(2001 + 2 * i))),
                  Variant(A(companies[i])), Variant(A(titles[i % 4]))};
      rows.push_back(std::move(r));
    }
    return rows;
  }

  TDBGrid* grid;
  TLocalProvider* provider;
  TClientDataSet* history_;
  TDataSource* source_;
  int saved_ = 0;
};

const TClassInfo& TWebDemoForm::StaticClass() {
  static const TClassInfo info = TClassBuilder<TWebDemoForm>("TWebDemoForm", TForm::StaticClass()).Build();
  return info;
}

}  // namespace

int main(int argc, char** argv) {
  hostweb::WebServerOptions options;
  options.StaticRoot = CORVANE_WEB_ROOT;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--port") == 0) options.Port = static_cast<unsigned short>(std::atoi(argv[i + 1]));
    else if (std::strcmp(argv[i], "--root") == 0) options.StaticRoot = argv[i + 1];
    else {
      std::fprintf(stderr, "usage: host_web_demo [--port N] [--root FOLDER]\n");
      return 2;
    }
  }
  TApplication& app = Application();
  app.SetTitle(A(u8"演示"));
  options.OnConnection = [](bool connected) { Say(connected ? "CONNECTED" : "DISCONNECTED"); };

  TComponent owner(nullptr);
  TWebDemoForm* form = CreateForm<TWebDemoForm>(&owner);
  hostweb::WebServer server;
  try {
    server.Start(options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  Say("URL " + server.Url());
  Say(std::string("FONT ") + (server.FontFile().empty() ? "-" : server.FontFile()));
  form->Show();
  form->SetActiveControl(form->edtCode);
  form->PrintState("start");
  app.Run();
  server.Stop();
  return 0;
}
