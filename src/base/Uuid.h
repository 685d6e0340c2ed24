#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace veyrune {

// A 128-bit identifier. Text form is 8-4-4-4-12 upper-case hexadecimal;
// parsing accepts either case.
class Uuid {
  public:
    Uuid() = default;  // the nil identifier
    explicit Uuid(const std::array<std::uint8_t, 16>& bytes) : bytes_(bytes) {}

    static Uuid random();
    static std::optional<Uuid> parse(std::string_view text);

    std::string uuidString() const;
    const std::array<std::uint8_t, 16>& bytes() const { return bytes_; }

    auto operator<=>(const Uuid&) const = default;

  private:
    std::array<std::uint8_t, 16> bytes_{};
};

}  // namespace veyrune

template <>
struct std::hash<veyrune::Uuid> {
    std::size_t operator()(const veyrune::Uuid& id) const noexcept;
};
