#include "server/demo/DemoNames.h"

namespace demo {

namespace {

const CodeName kCompanies[] = {
    {"C01", u8"科文总公司"}, {"C02", u8"华东分公司"}, {"C03", u8"华南分公司"}, {"C04", u8"北方分公司"}};

const CodeName kDepartments[] = {
    {"D01", u8"总经理室"}, {"D02", u8"行政部"}, {"D03", u8"人力资源部"}, {"D04", u8"财务部"},
    {"D05", u8"采购部"},   {"D06", u8"生产部"}, {"D07", u8"品管部"},     {"D08", u8"研发部"},
    {"D09", u8"业务部"},   {"D10", u8"仓储部"}};

const CodeName kPositions[] = {
    {"J01", u8"总经理"}, {"J02", u8"副总经理"}, {"J03", u8"经理"},   {"J04", u8"副理"},   {"J05", u8"课长"},
    {"J06", u8"组长"},   {"J07", u8"工程师"},   {"J08", u8"专员"},   {"J09", u8"助理"},   {"J10", u8"作业员"}};

const CodeName kGrades[] = {
    {"G01", u8"一职等"}, {"G02", u8"二职等"}, {"G03", u8"三职等"}, {"G04", u8"四职等"}, {"G05", u8"五职等"},
    {"G06", u8"六职等"}, {"G07", u8"七职等"}, {"G08", u8"八职等"}, {"G09", u8"九职等"}, {"G10", u8"十职等"}};

const CodeName kEducation[] = {{"01", u8"博士"}, {"02", u8"硕士"}, {"03", u8"本科"},
                               {"04", u8"大专"}, {"05", u8"高中"}, {"06", u8"初中"}};

const CodeName kCurrencies[] = {{"RMB", u8"人民币"}, {"USD", u8"美元"}, {"HKD", u8"港币"}};

const char8_t* const kSurnames[] = {
    u8"王", u8"李", u8"张", u8"刘", u8"陈", u8"杨", u8"黄", u8"赵", u8"吴", u8"周", u8"徐", u8"孙",
    u8"马", u8"朱", u8"胡", u8"郭", u8"何", u8"林", u8"高", u8"罗", u8"郑", u8"梁", u8"谢", u8"宋",
    u8"唐", u8"许", u8"韩", u8"冯", u8"邓", u8"曹", u8"彭", u8"曾", u8"萧", u8"田", u8"董", u8"潘"};

const char8_t* const kGivenParts[] = {
    u8"伟", u8"芳", u8"娜", u8"敏", u8"静", u8"丽", u8"强", u8"磊", u8"军", u8"洋", u8"勇", u8"艳",
    u8"杰", u8"娟", u8"涛", u8"明", u8"超", u8"秀", u8"霞", u8"平", u8"刚", u8"桂", u8"文", u8"华",
    u8"建", u8"国", u8"志", u8"红", u8"玉", u8"兰", u8"春", u8"海", u8"宇", u8"欣", u8"晨", u8"佳"};

const char8_t* const kPhrases[] = {u8"依公司规定办理", u8"年度考核晋升", u8"组织调整",
                                   u8"个人因素离职",   u8"合同期满",     u8"学历证书已查验"};

const CodeName kChangeItems[] = {
    {"0001", u8"公司调动"},     {"0002", u8"部门调动"},     {"0003", u8"离职"},     {"0004", u8"职务异动"},
    {"0005", u8"职等异动"},     {"0006", u8"薪别异动"},     {"0007", u8"计全勤否异动"},
    {"0008", u8"发薪方式异动"}, {"0009", u8"计加班否异动"}, {"0010", u8"退休"},     {"0011", u8"学历"}};

}  // namespace

std::span<const CodeName> DemoCompanies() { return kCompanies; }
std::span<const CodeName> DemoDepartments() { return kDepartments; }
std::span<const CodeName> DemoPositions() { return kPositions; }
std::span<const CodeName> DemoGrades() { return kGrades; }
std::span<const CodeName> DemoEducation() { return kEducation; }
std::span<const CodeName> DemoCurrencies() { return kCurrencies; }
std::span<const char8_t* const> DemoSurnames() { return kSurnames; }
std::span<const char8_t* const> DemoGivenNameParts() { return kGivenParts; }
std::span<const char8_t* const> DemoPhrases() { return kPhrases; }
std::span<const CodeName> DemoChangeItems() { return kChangeItems; }

}  // namespace demo
