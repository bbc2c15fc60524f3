// Credential: the texts a client presents in its handshake.
//
//   "S1 <token>"  a session opened by a login (Sessions.h); what the host
//                 sets as the process's session credential after its login
//   "L1 <user>"   a login connection: it may only create "Corvane.Login"
//                 and prove the user's password (LoginObject.h)
//   "T1 <user>"   the fixed test identity, accepted only by a server whose
//                 settings allow it (ServerSettings::allowTestIdentity)
#pragma once

#include <string>
#include <string_view>

namespace server {

inline std::string SessionCredentialText(std::string_view token) { return "S1 " + std::string(token); }
inline std::string LoginCredentialText(std::string_view user) { return "L1 " + std::string(user); }
inline std::string TestCredentialText(std::string_view user) { return "T1 " + std::string(user); }

}  // namespace server
