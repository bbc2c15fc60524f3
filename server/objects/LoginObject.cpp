#include "server/objects/LoginObject.h"

#include "platform/Variant.h"
#include "server/core/PasswordHash.h"
#include "server/objects/ServerSession.h"

namespace server {

LoginObject::LoginObject(std::shared_ptr<ServerContext> context, std::string user)
    : context_(std::move(context)), user_(std::move(user)) {}

const platform::DispatchTable<LoginObject>& LoginObject::AutomationMembers() {
  static const auto table = platform::DispatchTable<LoginObject>("Corvane.Login")
                                .Method("Challenge", &LoginObject::Challenge)
                                .Method("Answer", &LoginObject::Answer);
  return table;
}

platform::Variant LoginObject::Challenge() {
  verifier_ = context_->WithSystem([&](storage::Connection& db) { return UserVerifier(db, user_); });
  challenge_ = RandomHex(32);
  // An unknown user gets a salt all the same, so the answer tells nothing.
  PasswordVerifier shown = verifier_.value_or(PasswordVerifier{Sha256Hex("salt" + user_).substr(0, 32), kPasswordRounds, {}});
  return platform::VarArrayOf({platform::Variant(platform::AnsiString(shown.salt.c_str())), shown.rounds,
                               platform::Variant(platform::AnsiString(challenge_.c_str()))});
}

platform::AnsiString LoginObject::Answer(const platform::AnsiString& proof) {
  std::string challenge = std::move(challenge_);
  challenge_.clear();
  if (context_->LoginLocked(user_)) throw EServerRefusal(kLoginLockedOut);
  if (challenge.empty() || !verifier_ || !SameSecret(proof.Bytes(), ChallengeProof(verifier_->hash, challenge))) {
    context_->LoginFailed(user_);
    throw EServerRefusal(kLoginRefused);
  }
  context_->LoginSucceeded(user_);
  std::string token = context_->WithSystem([&](storage::Connection& db) { return OpenSession(db, user_); });
  return platform::AnsiString(token.c_str());
}

std::string LogInOverWire(const platform::Variant& loginObject, std::string_view password) {
  platform::Variant challenge = platform::OleCall(loginObject, "Challenge");
  std::string salt = challenge[0].AsString().Bytes();
  int rounds = challenge[1].AsInteger();
  std::string nonce = challenge[2].AsString().Bytes();
  std::string proof = ChallengeProof(DeriveKey(password, salt, rounds), nonce);
  return platform::OleCall(loginObject, "Answer", {platform::Variant(platform::AnsiString(proof.c_str()))})
      .AsString()
      .Bytes();
}

}  // namespace server
