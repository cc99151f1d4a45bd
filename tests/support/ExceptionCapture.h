// ExceptionCapture.h: runs code that throws qz_gen exceptions by pointer and hands the caught
// object to the test, owned.
#pragma once

#include "core/qz_fileio/Exception.h"

#include <functional>
#include <memory>

// The exception the call threw, or null when it returned normally.
std::unique_ptr<qz_gen::CException> catchException(const std::function<void()>& call);

// The same, for a CFileException; null when none or another kind was thrown.
std::unique_ptr<qz_gen::CFileException> catchFileException(const std::function<void()>& call);
