// ExceptionCapture.cpp
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
