#include "server/core/PasswordHash.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include <stdexcept>
#include <vector>

namespace server {

namespace {

std::string Hex(const unsigned char* bytes, std::size_t n) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(n * 2);
  for (std::size_t i = 0; i < n; ++i) {
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 15];
  }
  return out;
}

int Nibble(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Invalid hex gives an empty result (which never matches anything).
std::vector<unsigned char> Unhex(std::string_view hex) {
  std::vector<unsigned char> out;
  if (hex.size() % 2) return {};
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    int hi = Nibble(hex[i]), lo = Nibble(hex[i + 1]);
    if (hi < 0 || lo < 0) return {};
    out.push_back(static_cast<unsigned char>(hi * 16 + lo));
  }
  return out;
}

}  // namespace

std::string RandomHex(std::size_t bytes) {
  std::vector<unsigned char> buffer(bytes);
  if (RAND_bytes(buffer.data(), static_cast<int>(bytes)) != 1)
    throw std::runtime_error("the random number generator failed");
  return Hex(buffer.data(), bytes);
}

std::string Sha256Hex(std::string_view text) {
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest);
  return Hex(digest, sizeof digest);
}

std::string DeriveKey(std::string_view password, std::string_view saltHex, int rounds) {
  std::vector<unsigned char> salt = Unhex(saltHex);
  if (rounds < 1) rounds = 1;
  unsigned char key[32];
  if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                        static_cast<int>(salt.size()), rounds, EVP_sha256(), sizeof key, key) != 1)
    throw std::runtime_error("the password hash failed");
  return Hex(key, sizeof key);
}

PasswordVerifier MakeVerifier(std::string_view password, int rounds) {
  PasswordVerifier v;
  v.salt = RandomHex(16);
  v.rounds = rounds;
  v.hash = DeriveKey(password, v.salt, rounds);
  return v;
}

bool CheckPassword(const PasswordVerifier& verifier, std::string_view password) {
  if (verifier.hash.empty()) return false;
  return SameSecret(DeriveKey(password, verifier.salt, verifier.rounds), verifier.hash);
}

std::string ChallengeProof(std::string_view derivedKeyHex, std::string_view challengeHex) {
  std::vector<unsigned char> key = Unhex(derivedKeyHex);
  std::vector<unsigned char> challenge = Unhex(challengeHex);
  unsigned char mac[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()), challenge.data(), challenge.size(), mac, &length))
    throw std::runtime_error("the login proof failed");
  return Hex(mac, length);
}

bool SameSecret(std::string_view a, std::string_view b) {
  if (a.size() != b.size() || a.empty()) return false;
  return CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace server
