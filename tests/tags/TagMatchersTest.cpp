// The edge rules of each tag, matcher by matcher, and the prefilter's promise
// that it never keeps a text from a matcher that would take it.

// Standard library
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "tags/SuffixCache.h"
#include "tags/TagMatchers.h"
#include "tags/TagTable.h"
#include "tags/Tagger.h"

namespace quillex {
namespace {

class TagMatchers : public ::testing::Test {
 protected:
  bool Matches(TagMatcher matcher, std::string_view text) {
    MatchContext context{tagger_.Suffixes(), cache_};
    return matcher(text, context);
  }
  // Each text of `yes` matches, none of `no` does; the failures name them.
  void Expect(TagMatcher matcher, const std::vector<std::string>& yes,
              const std::vector<std::string>& no) {
    for (const std::string& text : yes) {
      EXPECT_TRUE(Matches(matcher, text)) << "should match: " << text;
    }
    for (const std::string& text : no) {
      EXPECT_FALSE(Matches(matcher, text)) << "should not match: " << text;
    }
  }

  // The tags of the matchers that take `text`, asked one by one.
  unsigned MatcherTags(std::string_view text) {
    unsigned tags = 0;
    for (const TagInfo& tag : TagTable()) {
      tags |= Matches(tag.matcher, text) ? TagBit(tag.id) : 0u;
    }
    return tags;
  }

  static const Tagger tagger_;
  SuffixCache cache_;
};

const Tagger TagMatchers::tagger_;

TEST_F(TagMatchers, HashIsThirtyTwoFortyOrSixtyFourDigitsNotAllOne) {
  const std::string md5 = "d41d8cd98f00b204e9800998ecf8427e";
  Expect(MatchHash,
         {md5, "da39a3ee5e6b4b0d3255bfef95601890afd80709",
          "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
          "5D41402ABC4B2A76B9719D911017C592", "md5=" + md5, "(" + md5 + ")"},
         {std::string(32, '0'), std::string(40, '1'), std::string(64, 'f'),
          "0000000000000000000000000000000f",  // fewer than eight digits
          "12345678901234567890123456789012",  // no letter: a decimal number
          "deadbeefdeadbeefdeadbeefdeadbeef",  // no digit
          "0123456789abcdef0123456789abcdef",  // an alphabet table
          "5D41402abc4b2a76B9719D911017c592",  // mixed case
          md5.substr(1), md5 + "a",            // 31 and 33 digits
          "0x" + md5, md5 + "g", md5 + "_x",   // part of a longer word
          "anon." + md5 + ".18.llvm.1554"});   // LLVM's symbol
}

TEST_F(TagMatchers, Base64NeedsValidLengthPaddingAndMixedClasses) {
  Expect(MatchBase64,
         {"dXNlcm5hbWU6cGFzc3dvcmQ=",              // one '=', last bits zero
          "cG93ZXJzaGVsbCAtbm9wIC13IGhpZGRlbg==",  // two '='
          "zM9cxdVCisu4SautmkDeCdhKU9oC6jME",      // no padding, random bytes
          "Basic YWRtaW46cGFzc3dvcmQxMjM=",
          // UTF-16LE text, as PowerShell's -EncodedCommand takes it.
          "SQBFAFgAIAAoAE4AZQB3AC0ATwBiAGoAZQBjAHQAKQA="},
         {"dXNlcm5hbWU6cGFzc3dvcmQ",   // 23 characters: not whole groups
          "dXNlcm5hbWU6cGFzc3dvcmR=",  // padding after bits that are not zero
          "cG93ZXJzaGVsbCAtbm9wIC13IGhpZGRlbh==",
          "zM9cxdVCisu4SautmkDeCdhK===",  // three '='
          "InitializeCriticalSectionAndSpinCount", "GetSystemTimeAsFileTime1",
          "X509CertificateCollection2", "EIsWindows8OrGreater", "glTexStorageMem1DEXT",
          "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/",
          "AAAAAAAAAAAAAAAAAAAAAAAA", "abcdefghijklmnopqrstuvwx", "L0L1L2LaLcLeLiLoLsLt",
          "N10cmCTestSVN9LogParserE",  // a mangled C++ name
          "d41d8cd98f00b204e9800998ecf8427e", "my_zM9cxdVCisu4SautmkDeCdhKU9oC6jME",
          "$zM9cxdVCisu4SautmkDeCdhKU9oC6jME",
          // One case only, though the first decodes to "UUU..." and the
          // second to "DDD...": text, but no data worth a tag.
          std::string(40, 'V'), "RERERERERERERERERERE"});
  // Twenty characters of random data are enough, nineteen too few.
  EXPECT_TRUE(Matches(MatchBase64, "XD7lq3pl+vxd9Zfqh2SB"));
  EXPECT_FALSE(Matches(MatchBase64, "XD7lq3pl+vxd9Zfqh2S"));
}

TEST_F(TagMatchers, FormatIsAConversionNotAnEnvironmentVariable) {
  Expect(MatchFormat, {"%s",       "%d",    "Error %d: %s", "%-08.3lf",      "%I64u",
                       "%ls",      "%llu",  "%zu",          "%.*s",          "%p",
                       "%#x",      "%+.3e", "%(name)s",     "%1$s",          "took %dms",
                       "%ls%",     "%d%",   "open: %m",     "%APPDATA%\\%s", "Progress %3d%%",
                       "%s_%d.log"},
         {"%APPDATA%",
          "%SystemRoot%\\x",
          "%ProgramFiles(x86)%",
          "%TEMP% and %TMP%",
          "%CD%",
          "100%",
          "100% sure",
          "50%% off",
          "%%",
          "%1",
          "%~dp0",
          "%1!s!",
          "20%-30%",
          "http://example.com/a%20b%2Fc",
          "fe80::1%eth0",
          "movl %eax, %ebx",
          "%xmm0",
          "%zmm28",
          "my %headers = ();",
          "%spellout-ordinal",
          "%lconv",
          "%ada__exceptions__raise",
          "+%n_cs_precedes"});
}

TEST_F(TagMatchers, Ipv4OctetsAreAtMost255WithAnOptionalPort) {
  Expect(
      MatchIpv4,
      {"192.168.1.1", "255.255.255.255", "0.0.0.0", "10.0.0.1:8080", "127.0.0.1:65535",
       "(10.1.2.3)", "host=10.20.30.40;", "1.1.1.1", "8.8.4.4", "10.0.0.0/8", "::ffff:192.0.2.1"},
      {"256.1.1.1",
       "1.256.1.1",
       "10.0.0.300",
       "1.2.3",
       "1.2.3.4.5",
       "10.0.0.1:0",
       "10.0.0.1:65536",
       "10.0.0.1:123456",
       "010.0.0.1",
       "v10.0.0.1",
       "10.0.0.1a",
       "Version=4.0.0.0",
       "FileVersion 10.0.19041.1",
       "1.0.0.0",
       "1.1.0.14",
       "2.5.4.3",
       "1.3.6.1",
       "10.2.3.4-beta",
       "Chrome/120.0.0.0",
       "text-1.2.5.0",
       "See 21.4.2.1"});
}

TEST_F(TagMatchers, Ipv6FullCompressedAndBracketed) {
  Expect(MatchIpv6,
         {"2001:0db8:85a3:0000:0000:8a2e:0370:7334", "2001:db8::8a2e:370:7334", "::1", "fe80::1",
          "[2001:db8::1]:443", "[::]:80", "::ffff:192.0.2.1", "fe80::1%eth0",
          "2001:db8::", "FE80::0202:B3FF:FE1E:8329", "1:2:3:4:5:6:7:8"},
         {"::", "12:34:56", "00:1A:2B:3C:4D:5E", "00:11:22:33:44:55:66:77", "1:2:3:4:5:6:7",
          "1:2:3:4:5:6:7:8:9", "1::2::3", "2001:db8:::1", "12345::1", "std::string", "Foo::Bar",
          "A::B", "DB::DB", "Add::Face", "fE80::1a", "::GetProcAddress", "23:59:59.999",
          ":1:2:3:4:5:6:7"});
}

TEST_F(TagMatchers, UnixPathHasTwoComponentsAtLeast) {
  Expect(MatchUnixPath,
         {"/usr/bin", "/etc/passwd", "see /dev/null", "PATH=/usr/bin:/bin", "\"/tmp/x.y\"",
          "/proc/%d/maps", "-I/usr/include", "(/lib/x)"},
         {"/tmp", "/etc/", "/", "//x/y", "TCP/IP", "and/or", "1/2/3", "</a>", "/s /q", "/%s/%s",
          "http://example.com/a/b", "C:/x/y", "application/json"});
}

TEST_F(TagMatchers, RegistryHivesAbbreviationsAndWellKnownRoots) {
  Expect(MatchRegistry,
         {"HKEY_LOCAL_MACHINE", "hkey_current_user\\x", "HKEY_CLASSES_ROOT\\.exe", "HKEY_USERS",
          "HKEY_CURRENT_CONFIG", "HKLM\\SOFTWARE", "HKCU", "HKU", "HKCR\\CLSID", "HKU\\.DEFAULT",
          "HKCC\\System", "HKLM:\\Software", "SOFTWARE\\Microsoft\\Windows", "Software\\Classes",
          "SYSTEM\\CurrentControlSet\\Services", "System\\CurrentControlSet",
          "SYSTEM\\ControlSet001\\Enum", "\\Registry\\Machine\\Software", "\\REGISTRY\\USER"},
         {"HKEY", "HKEY_LOCAL", "HKLMX", "MyHKCU", "HKLM_KEY", "hklm\\x", "Software",
          "THE SOFTWARE IS PROVIDED", "SOFTWARE\\", "SYSTEM\\Library", "SYSTEM32\\x",
          "C:\\Program Files\\Software\\x", "\\Registry\\Machinery"});
}

TEST_F(TagMatchers, PdbIsAFileNameEndingInPdb) {
  Expect(MatchPdb,
         {"app.pdb", "C:\\build\\Release\\app.pdb", "/out/libfoo.pdb", "X.PDB",
          "Loaded mshtml.pdb.", "\"C:\\sym\\k.pdb\"", "RSDS app_x64.pdb", "My App.pdb"},
         {"*.pdb", "%s.pdb", "(.pdb)", ".pdb", "pdb", "app.pdbx", "app.pdb.bak", "app_pdb"});
}

TEST_F(TagMatchers, WindowsPathDriveUncOrVariable) {
  Expect(MatchWindowsPath,
         {"C:\\", "C:\\Windows", "c:/program files/x", "D:\\a\\_work", "\"E:\\Tools\\x.exe\"",
          "C:\\\\Users", "\\\\server\\share", "\\\\?\\C:\\x", "\\\\.\\pipe\\x",
          "%APPDATA%\\Microsoft", "%ProgramFiles(x86)%\\x", "file:///C:/Windows"},
         {"C:", "Drive C: is full", "%APPDATA%", "%c:\\", "%s:\\%s", "x:y", "C:file.txt",
          "system32\\drivers", "..\\x", "\\\\n", "A:\\>", "R:\\Sg|p5", ":X:\\:", "[p:\\", "%Q%\\x",
          "\\\\.\\.*"});
}

TEST_F(TagMatchers, UrlNeedsASchemeAndAHost) {
  Expect(MatchUrl,
         {"http://example.com", "HTTPS://EXAMPLE.COM/", "ftp://ftp.gnu.org/", "ws://localhost",
          "wss://h/x", "file:///C:/x", "file://server/share", "http://%s/gate.php",
          "https://[::1]:8443/", "chrome://settings", "hxxp://evil.ru/x"},
         {"http://", "http:// x", "%s://%s", "://x", "about:blank", "C://x", "ms-settings:x",
          "file://'", "Http", "xx://host"});
}

TEST_F(TagMatchers, EmailNeedsALocalPartAndADomainOnTheList) {
  Expect(MatchEmail,
         {"user@example.com", "a.b+c@mail.example.co.uk", "<admin@example.org>",
          "mailto:x@example.de", "ADMIN@EXAMPLE.COM", "git@github.com:o/r.git"},
         {"user@localhost", "@example.com", "foo@bar.c", "npm@1.2.3", "a@b", ".x@example.com",
          "x.@example.com", "a..b@example.com", "x@example.invalid", "%s@%s",
          "ftp://user:pw@ftp.example.com/", "x@example_com.com"});
}

TEST_F(TagMatchers, DomainUsesTheSuffixListAndContext) {
  Expect(
      MatchDomain,
      {"example.com", "www.example.com", "bbc.co.uk", "Microsoft.com", "WWW.EXAMPLE.COM",
       "api.example.ru", "ftp.funet.fi", "user.github.io", "ns1.example.org.", "http://readme.md/",
       "x@setup.py", "http://www.example.app/", "xn--80ak6aa92e.com", "http://ocsp.digicert.com0"},
      {"kernel32.dll",
       "System.Collections.Generic",
       "co.uk",
       "localhost",
       "example.local",
       "readme.md",
       "setup.py",
       "archive.zip",
       "config.h.in",
       "System.Net",
       "ASP.NET",
       "this.name",
       "window.top",
       "user.name",
       "com.example.app",
       "worker.id",
       "String.prototype.at",
       "i64.ne",
       "tt.tt",
       "x.com.",
       ".data.rel.ro",
       "GLIBC_2.2.5",
       "/usr/lib/example.com",
       "obj.show(",
       "key.example.com=",
       "*Panner.top",
       "john.doe@example",
       "1.2.3.4",
       "e.g.",
       "www.example.app",
       "ftp://x.dll/"});
}

TEST_F(TagMatchers, GuidIsEightFourFourFourTwelve) {
  Expect(MatchGuid,
         {"{3F2504E0-4F89-11D3-9A0C-0305E82C3301}", "550e8400-e29b-41d4-a716-446655440000",
          "clsid=00000000-0000-0000-C000-000000000046;"},
         {"3F2504E0-4F89-11D3-9A0C-0305E82C330", "3F2504E0-4F89-11D3-9A0C-0305E82C33011",
          "A3F2504E0-4F89-11D3-9A0C-0305E82C3301", "3F2504E0-4F89-11D3-9A0C-0305E82C3301-1",
          "3F2504E0-4F89-11D3-9A0C", "xxxxxxxx-xxxx-4xxx-yxxx-xxxxxxxxxxxx",
          "3F2504E04F8911D39A0C0305E82C3301"});
}

TEST_F(TagMatchers, UserAgentIsAKnownProductWithAVersion) {
  Expect(MatchUserAgent,
         {"Mozilla/5.0 (Windows NT 10.0)", "curl/7.88.1", "Wget/1.21", "Wget/%s",
          "python-requests/2.31", "User-Agent: Go-http-client/1.1"},
         {"Mozilla Firefox", "Mozilla/", "mozilla/5.0", "libcurl/7.88.1", "/usr/lib/curl/7", "curl",
          "Chrome/Safari", "mycurl/1.0"});
}

// The prefilter may only keep texts from matchers that would refuse them:
// for every text, the tagger's tags are exactly the tags whose matchers take
// it. Checked over texts built from the characters indicators are made of.
TEST_F(TagMatchers, PrefilterNeverHidesAMatch) {
  const std::vector<std::string> pieces = {"http",
                                           "://",
                                           "www.",
                                           "example",
                                           ".com",
                                           "@",
                                           "192.168.1.1",
                                           "::1",
                                           "fe80::",
                                           ":",
                                           "/",
                                           "\\",
                                           "C:",
                                           "\\\\srv\\share",
                                           "%s",
                                           "%APPDATA%",
                                           "HKLM",
                                           "HKU",
                                           "SOFTWARE\\",
                                           "Software",
                                           "3F2504E0-4F89-11D3-9A0C-0305E82C3301",
                                           "zM9cxdVCisu4SautmkDeCdhKU9oC6jME",
                                           "d41d8cd98f00b204e9800998ecf8427e",
                                           "Mozilla/5.0",
                                           "app.pdb",
                                           " ",
                                           "usr",
                                           "bin",
                                           "x",
                                           "=",
                                           "[",
                                           "]",
                                           "-",
                                           "_",
                                           "SGVsbG8sIFdvcmxkIQ==",
                                           "VVVVVVVV",
                                           "RERE",
                                           "a@example.org",
                                           "/usr/lib/x"};
  std::mt19937 random(18);
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  std::uniform_int_distribution<int> count(1, 6);
  std::vector<std::size_t> perTag(kTagCount);
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    for (int n = count(random); n > 0; --n) {
      text += pieces[pick(random)];
    }
    const unsigned expected = MatcherTags(text);
    ASSERT_EQ(tagger_.Tag(text, cache_), expected) << text;
    for (const TagInfo& tag : TagTable()) {
      perTag[static_cast<std::size_t>(tag.id)] += HasTag(static_cast<TagSet>(expected), tag.id);
    }
  }
  // The texts exercise every matcher, so every prefilter row was tried.
  for (const TagInfo& tag : TagTable()) {
    EXPECT_GE(perTag[static_cast<std::size_t>(tag.id)], 50u) << tag.name;
  }
}

// Bytes drawn at random from the punctuation the matchers look for, with a
// byte above 0x7F among them, at every length up to 80: the matchers read no
// byte outside the text (the sanitizer build watches) and still agree with
// the tagger.
TEST_F(TagMatchers, RandomPunctuationStaysInBoundsAndAgrees) {
  std::mt19937 random(1252);
  const std::string alphabet = "%:/\\.@=[]-_{}$*aAfFkKhHbBzZ09 \xE9";
  std::uniform_int_distribution<std::size_t> letter(0, alphabet.size() - 1);
  for (int round = 0; round < 20000; ++round) {
    std::string text(static_cast<std::size_t>(round % 81), ' ');
    for (char& c : text) {
      c = alphabet[letter(random)];
    }
    ASSERT_EQ(tagger_.Tag(text, cache_), MatcherTags(text)) << text;
  }
}

TEST(TagTable, NamesAndBitsAreFixed) {
  const std::vector<std::string_view> names = {
      "url",      "domain", "ipv4",   "ipv6", "email",  "windows-path", "unix-path",
      "registry", "guid",   "base64", "hash", "format", "user-agent",   "pdb"};
  ASSERT_EQ(TagTable().size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    const TagInfo& tag = TagTable()[i];
    EXPECT_EQ(tag.name, names[i]);
    EXPECT_EQ(static_cast<std::size_t>(tag.id), i);
    EXPECT_EQ(FindTag(names[i]), tag.id);
    EXPECT_EQ(TagName(tag.id), names[i]);
    EXPECT_FALSE(tag.description.empty());
    EXPECT_EQ(tag.description.find('\n'), std::string_view::npos);
    EXPECT_FALSE(tag.rule.empty());
  }
  EXPECT_FALSE(FindTag("URL").has_value());
  EXPECT_FALSE(FindTag("").has_value());
  EXPECT_EQ(sizeof(TagSet), 2u);
}

}  // namespace
}  // namespace quillex
