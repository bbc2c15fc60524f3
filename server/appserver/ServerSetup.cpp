#include "server/appserver/ServerSetup.h"

#include "server/company/CompanyCatalogue.h"
#include "server/core/SystemData.h"
#include "server/validator/Counter.h"
#include "server/validator/Validator.h"

namespace server {

std::shared_ptr<ServerContext> MakeServerContext(const AppServerOptions& options) {
  // The catalogue is a static of its library; the pointer only observes it.
  auto catalogue = std::shared_ptr<const storage::Catalogue>(&company::CompanyCatalogue(), [](const auto*) {});
  ServerSettings settings{options.storage, catalogue, options.allowTestIdentity};
  settings.companyServices = {
      {"Com_Validator",
       [](company::CompanySessionPtr s) { return platform::AutoObjectPtr(std::make_shared<validator::Validator>(std::move(s))); }},
      {"Com_Counter",
       [](company::CompanySessionPtr s) { return platform::AutoObjectPtr(std::make_shared<validator::Counter>(std::move(s))); }},
  };
  auto context = std::make_shared<ServerContext>(std::move(settings));
  context->WithSystem([](storage::Connection& db) {
    CreateSystemSchema(db);
    return 0;
  });
  return context;
}

}  // namespace server
