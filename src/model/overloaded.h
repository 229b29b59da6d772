#pragma once

// A visitor made of lambdas, one per alternative:
//   std::visit(Overloaded{[](const A&) {...}, [](const B&) {...}}, value);

namespace orbel {

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace orbel
