#include "base/SHA256.h"

#include <openssl/evp.h>

namespace veyrune {

namespace {

class SHA256Context {
  public:
    SHA256Context() : md_(EVP_MD_fetch(nullptr, "SHA256", nullptr)), context_(EVP_MD_CTX_new()) {}
    ~SHA256Context() {
        EVP_MD_CTX_free(context_);
        EVP_MD_free(md_);
    }
    SHA256Context(const SHA256Context&) = delete;
    SHA256Context& operator=(const SHA256Context&) = delete;

    SHA256Digest digest(std::initializer_list<std::string_view> parts) {
        SHA256Digest out{};
        unsigned int length = 0;
        EVP_DigestInit_ex2(context_, md_, nullptr);
        for (auto part : parts) {
            EVP_DigestUpdate(context_, part.data(), part.size());
        }
        EVP_DigestFinal_ex(context_, out.data(), &length);
        return out;
    }

  private:
    EVP_MD* md_;
    EVP_MD_CTX* context_;
};

}  // namespace

SHA256Digest sha256(std::initializer_list<std::string_view> parts) {
    thread_local SHA256Context context;
    return context.digest(parts);
}

}  // namespace veyrune
