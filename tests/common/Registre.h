#pragma once

// Several test classes share one executable per folder: each file registers its
// class with CARNET_TEST and the folder's shared main runs them all.
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace Registre {
using Fabrique = std::function<std::unique_ptr<QObject>()>;
inline std::vector<Fabrique>& Classes()
{
    static std::vector<Fabrique> v;
    return v;
}
struct Inscription {
    explicit Inscription(Fabrique f) { Classes().push_back(std::move(f)); }
};
} // namespace Registre

#define CARNET_TEST(Classe)                                                                        \
    static Registre::Inscription inscription_##Classe([] { return std::make_unique<Classe>(); });
