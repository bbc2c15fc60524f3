// PasswordHash: salted, iterated password hashes (PBKDF2 with HMAC-SHA-256)
// and the challenge-response proof of the login over the network.
//
// The stored verifier is PBKDF2(password, salt, rounds). A login over the
// network never sends the password: the server sends salt, rounds and a
// fresh random challenge; the client derives the verifier from the
// password and answers HMAC-SHA-256(verifier, challenge). The server
// computes the same from what it stores and compares in constant time.
#pragma once

#include <string>
#include <string_view>

namespace server {

inline constexpr int kPasswordRounds = 20000;

struct PasswordVerifier {
  std::string salt;  // hex
  int rounds = kPasswordRounds;
  std::string hash;  // hex of the derived key
};

// A new verifier with a random salt.
PasswordVerifier MakeVerifier(std::string_view password, int rounds = kPasswordRounds);
// The derived key (hex) of a password for a salt and a number of rounds.
std::string DeriveKey(std::string_view password, std::string_view saltHex, int rounds);
// True when the password gives the verifier's hash.
bool CheckPassword(const PasswordVerifier& verifier, std::string_view password);

// HMAC-SHA-256(key, challenge) in hex; the key is the derived key in hex.
std::string ChallengeProof(std::string_view derivedKeyHex, std::string_view challengeHex);
// Constant-time comparison of two texts.
bool SameSecret(std::string_view a, std::string_view b);

// n random bytes as hex (from the operating system's generator).
std::string RandomHex(std::size_t bytes);
// SHA-256 of a text, hex.
std::string Sha256Hex(std::string_view text);

}  // namespace server
