// What the tool tells the feedback library about itself, and the addresses it opens through it.
#include "feedback/FeedbackConstants.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FeedbackAddresses, BothKnowledgeBasePagesAreOnOneSecureSite) {
    const std::wstring home = kKnowledgeBaseHome;
    const std::wstring article = kKnowledgeBaseArticle;
    EXPECT_EQ(home.rfind(L"https://", 0), 0u);
    EXPECT_EQ(article.rfind(home, 0), 0u) << "the article lies on the home page's site";
    const std::wstring path = L"/detail/dc_172545.html";
    ASSERT_GT(article.size(), path.size());
    EXPECT_EQ(article.substr(article.size() - path.size()), path);
}

} // namespace
