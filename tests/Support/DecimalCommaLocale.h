#pragma once

// The C library in a decimal-comma locale (de_DE.UTF-8, which scripts/test.sh generates into the
// folder CHROMET_TEST_LOCPATH names) for as long as this lives, as for a user whose printf
// writes "0,5".

#include <QtGlobal>

#include <clocale>
#include <string>

class DecimalCommaLocale {
public:
    DecimalCommaLocale() {
        const QByteArray folder = qgetenv("CHROMET_TEST_LOCPATH");
        if (!folder.isEmpty())
            qputenv("LOCPATH", folder);
        m_active = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    }
    ~DecimalCommaLocale() { std::setlocale(LC_ALL, m_previous.c_str()); }
    DecimalCommaLocale(const DecimalCommaLocale &) = delete;
    DecimalCommaLocale &operator=(const DecimalCommaLocale &) = delete;

    bool isActive() const { return m_active; }
    static constexpr const char *unavailable =
        "de_DE.UTF-8 is not available; generate it with localedef and point "
        "CHROMET_TEST_LOCPATH at its folder";

private:
    std::string m_previous = std::setlocale(LC_ALL, nullptr);
    bool m_active = false;
};
