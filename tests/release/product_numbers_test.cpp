// The product numbers of the build (cmake/product.cmake, which the version resources take) and
// the descriptor compiled into setup.exe must name the same product.
#include <gtest/gtest.h>

#include "core/product.h"

TEST(ProductNumbers, DescriptorNamesTheProductOfTheBuild)
{
    EXPECT_STREQ(BUILD_PRODUCT_NAME, ProductInfo.Name);
    EXPECT_STREQ(BUILD_PRODUCT_MAKER, ProductInfo.Publisher);
    EXPECT_STREQ(BUILD_PRODUCT_VERSION, ProductInfo.Version);
}
