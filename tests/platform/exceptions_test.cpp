#include "platform/exceptions.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

TEST(Exceptions, ArchiveExceptionCarriesCauseAndFileNameIntoItsMessage)
{
    try {
        AfxThrowArchiveException(CArchiveException::badSchema, CString("/tmp/m.twk"));
        FAIL() << "nothing thrown";
    } catch (const CException& e) {
        const auto* archive = dynamic_cast<const CArchiveException*>(&e);
        ASSERT_NE(archive, nullptr);
        EXPECT_EQ(archive->m_cause, CArchiveException::badSchema);
        EXPECT_NE(std::string(e.what()).find("/tmp/m.twk"), std::string::npos);
        EXPECT_EQ(e.GetErrorMessage().ToUtf8(), std::string(e.what()));
    }
}

TEST(Exceptions, FileExceptionKeepsTheSystemErrorAndMapsItToACause)
{
    try {
        AfxThrowFileException(CFileException::diskFull, ENOSPC, CString("out.twk"));
        FAIL() << "nothing thrown";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::diskFull);
        EXPECT_EQ(e.m_lOsError, ENOSPC);
        EXPECT_NE(std::string(e.what()).find("out.twk"), std::string::npos);
    }
    EXPECT_EQ(CFileException::OsErrorToCause(ENOENT), CFileException::fileNotFound);
    EXPECT_EQ(CFileException::OsErrorToCause(EACCES), CFileException::accessDenied);
    EXPECT_EQ(CFileException::OsErrorToCause(ENOSPC), CFileException::diskFull);
    EXPECT_EQ(CFileException::OsErrorToCause(EIO), CFileException::hardIO);
    EXPECT_EQ(CFileException::OsErrorToCause(12345), CFileException::genericException);
}

TEST(Exceptions, EveryThrowHelperThrowsItsOwnKindWithAMessage)
{
    EXPECT_THROW(AfxThrowMemoryException(), CMemoryException);
    EXPECT_THROW(AfxThrowInvalidArgException(), CInvalidArgException);
    EXPECT_THROW(AfxThrowUserException(), CUserException);
    try {
        AfxThrowMemoryException();
    } catch (const CException& e) {
        EXPECT_FALSE(e.GetErrorMessage().IsEmpty());
    }
}
