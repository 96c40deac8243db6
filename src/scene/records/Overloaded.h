#pragma once
// A visitor made of lambdas, one per alternative of a variant:
//   std::visit(Overloaded{[](const A&) {...}, [](const B&) {...}}, v);

namespace velorina {

template <typename... Fs>
struct Overloaded : Fs... {
  using Fs::operator()...;
};
// Clang does not yet deduce aggregate bases without a guide.
template <typename... Fs>
Overloaded(Fs...) -> Overloaded<Fs...>;

}  // namespace velorina
