// A data module read from its form resource: data sets, persistent fields
// written inside their data set, a nested data set bound by name, handlers
// wired by name, and Active = True carried out when loading ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSetField.h"
#include "platform/data/LocalProvider.h"
#include "platform/tests/DataTestSupport.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/FormResource.h"

namespace platform {
namespace {

class TdmDataTest : public TComponent {
  PLATFORM_CLASS(TdmDataTest)

 public:
  explicit TdmDataTest(TComponent* owner) : TComponent(owner) {}
  void cdsMainBeforePost(TDataSet* ds) { posted.push_back(ds->FieldByName("NAME").AsString().c_str()); }
  std::vector<std::string> posted;

 protected:
  // The provider has its rows before the data sets open.
  void Loaded() override {
    TComponent::Loaded();
    if (auto* p = dynamic_cast<TLocalProvider*>(FindComponent("prvLocal")))
      p->AddProvider("pvdMain", testing::HeaderFields(), testing::HeaderRows());
  }
};

const TClassInfo& TdmDataTest::StaticClass() {
  static const TClassInfo info = TClassBuilder<TdmDataTest>("TdmDataTest", TComponent::StaticClass())
                                     .PUBLISHED_HANDLER(TdmDataTest, cdsMainBeforePost)
                                     .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TdmDataTest);

const char* const kResource = R"(object dmDataTest: TdmDataTest
  object prvLocal: TLocalProvider
  end
  object cdsMain: TClientDataSet
    ProviderName = 'pvdMain'
    RemoteServer = prvLocal
    PacketRecords = 20
    FetchOnDemand = False
    Active = True
    BeforePost = cdsMainBeforePost
    object cdsMainID: TIntegerField
      FieldName = 'ID'
      Required = True
    end
    object cdsMainNAME: TStringField
      DisplayLabel = 'Name'
      FieldName = 'NAME'
      Size = 10
    end
    object cdsMainqryBody: TDataSetField
      FieldName = 'qryBody'
    end
  end
  object cdsBody1: TClientDataSet
    DataSetField = cdsMainqryBody
    IndexFieldNames = 'SEQ'
  end
end
)";

TEST(DataModuleResource, DataSetsAndFieldsComeFromTheResource) {
  TdmDataTest dm(nullptr);
  std::string text = kResource;
  TFormResource resource{"TdmDataTest", "test", reinterpret_cast<const unsigned char*>(text.data()), text.size()};
  const TFormResource* chain[] = {&resource};
  ReadComponentResources(dm, chain, ThisModule());

  auto* cdsMain = dynamic_cast<TClientDataSet*>(dm.FindComponent("cdsMain"));
  auto* cdsBody1 = dynamic_cast<TClientDataSet*>(dm.FindComponent("cdsBody1"));
  ASSERT_NE(cdsMain, nullptr);
  ASSERT_NE(cdsBody1, nullptr);
  EXPECT_TRUE(cdsMain->Active());
  EXPECT_EQ(cdsMain->PacketRecords(), 20);
  ASSERT_EQ(cdsMain->FieldCount(), 3);  // only the persistent fields
  EXPECT_EQ(dm.FindComponent("cdsMainNAME"), &cdsMain->FieldByName("NAME"));
  EXPECT_EQ(cdsMain->FieldByName("NAME").DisplayLabel(), "Name");
  EXPECT_EQ(cdsMain->FieldByName("NAME").GetParentComponent(), cdsMain);
  EXPECT_EQ(cdsBody1->DataSetField(), dm.FindComponent("cdsMainqryBody"));

  cdsBody1->Open();
  EXPECT_EQ(cdsBody1->RecordCount(), 2);
  cdsMain->Edit();
  cdsMain->FieldByName("NAME").SetAsString("ALPHA");
  cdsMain->Post();
  EXPECT_EQ(dm.posted, (std::vector<std::string>{"ALPHA"}));
}

}  // namespace
}  // namespace platform
