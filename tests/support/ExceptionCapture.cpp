// ExceptionCapture.cpp: runs code that throws qz_gen exceptions by pointer and hands the caught
// object to the test, owned.
#include "ExceptionCapture.h"

std::unique_ptr<qz_gen::CException> catchException(const std::function<void()>& call) {
    try {
        call();
    } catch (qz_gen::CException* e) {
        return std::unique_ptr<qz_gen::CException>(e);
    }
    return nullptr;
}

std::unique_ptr<qz_gen::CFileException> catchFileException(const std::function<void()>& call) {
    auto e = catchException(call);
    if (auto* file = dynamic_cast<qz_gen::CFileException*>(e.get())) {
        e.release();
        return std::unique_ptr<qz_gen::CFileException>(file);
    }
    return nullptr;
}
