// Golden listings of BBDUMP with standard output going to a file (no paging, no colour): every
// word length and base, the fields that options remove, squeezing, the header and summary lines,
// and the text column of every text mode. "{A}" in an expected text stands for the buffer's
// address as the header and summary lines show it.
#include <string>

#include "bbdump_test_fixture.h"

namespace {

class DumpListing : public dumptest::DumpFixture {};

std::string Seq(int from, int to) {
    std::string bytes;
    for (int b = from; b <= to; ++b) bytes.push_back(static_cast<char>(b));
    return bytes;
}

std::string Utf16(std::u16string_view text, bool bigEndian) {
    std::string bytes;
    for (char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// Listings are written with "\r\n" line ends; the expected texts here use "\n".
std::string WithCrLf(std::string text) {
    std::string result;
    for (char c : text) {
        if (c == '\n') result += '\r';
        result += c;
    }
    return result;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

struct Listing {
    const char* name;
    std::string bytes;
    std::u16string options;
    const char* expected;
};

TEST_F(DumpListing, MatchesTheGoldenTranscripts) {
    const std::string kUtf8Text = "Total: 1234.56 \xe2\x82\xac caf\xc3\xa9 \xf0\x9f\x98\x80 "
                                  "na\xc3\xafve text \xe2\x82\xac\xc3";
    const Listing listings[] = {
        {"defaults", Seq(0, 39), u"",
         R"(00000000  00 01 02 03 04 05 06 07  08 09 0a 0b 0c 0d 0e 0f  ················
00000010  10 11 12 13 14 15 16 17  18 19 1a 1b 1c 1d 1e 1f  ················
00000020  20 21 22 23 24 25 26 27                            !"#$%&'        

)"},
        {"H", Seq(0, 39), u"/H",
         R"(
Buffer {A} :

00000000  00 01 02 03 04 05 06 07  08 09 0a 0b 0c 0d 0e 0f  ················
00000010  10 11 12 13 14 15 16 17  18 19 1a 1b 1c 1d 1e 1f  ················
00000020  20 21 22 23 24 25 26 27                            !"#$%&'        

)"},
        {"HH", Seq(0, 39), u"/HH",
         R"(
Buffer {A} :
  •  40 bytes    Raw

00000000  00 01 02 03 04 05 06 07  08 09 0a 0b 0c 0d 0e 0f  ················
00000010  10 11 12 13 14 15 16 17  18 19 1a 1b 1c 1d 1e 1f  ················
00000020  20 21 22 23 24 25 26 27                            !"#$%&'        

)"},
        {"I", Seq(0, 39), u"/I",
         R"(00000000  00 01 02 03 04 05 06 07  08 09 0a 0b 0c 0d 0e 0f  ················
00000010  10 11 12 13 14 15 16 17  18 19 1a 1b 1c 1d 1e 1f  ················
00000020  20 21 22 23 24 25 26 27                            !"#$%&'        

Displayed 40 bytes (0x0028 bytes) from {A}.

)"},
        {"NT", Seq(0, 39), u"/N:T",
         R"(00000000  00 01 02 03 04 05 06 07  08 09 0a 0b 0c 0d 0e 0f  10 11 12 13 14 15 16 17
00000018  18 19 1a 1b 1c 1d 1e 1f  20 21 22 23 24 25 26 27

)"},
        {"NI", Seq(0, 39), u"/N:I",
         R"(00 01 02 03 04 05 06 07  08 09 0a 0b 0c 0d 0e 0f  10 11 12 13 14 15 16 17  ························
18 19 1a 1b 1c 1d 1e 1f  20 21 22 23 24 25 26 27                           ········ !"#$%&'        

)"},
        {"NL", Seq(0, 39), u"/N:L",
         R"(00000000  00 01 02 03 04 05 06 07  08 09 0a 0b 0c 0d 0e 0f  ················
00000010  10 11 12 13 14 15 16 17  18 19 1a 1b 1c 1d 1e 1f  ················
00000020  20 21 22 23 24 25 26 27                            !"#$%&'        
)"},
        {"U64", std::string(64, '\0'), u"/U",
         R"(00000000  00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00  ................
*
00000040
)"},
        {"Uruns",
         std::string(16, 'a') + std::string(48, 'b') + std::string(16, 'a') + std::string(5, 'c'),
         u"/U",
         R"(00000000  61 61 61 61 61 61 61 61  61 61 61 61 61 61 61 61  aaaaaaaaaaaaaaaa
00000010  62 62 62 62 62 62 62 62  62 62 62 62 62 62 62 62  bbbbbbbbbbbbbbbb
*
00000040  61 61 61 61 61 61 61 61  61 61 61 61 61 61 61 61  aaaaaaaaaaaaaaaa
00000050  63 63 63 63 63                                    ccccc           
00000055
)"},
        {"W", Seq(0, 39), u"/W /M:21",
         R"(00000000  0100 0302 0504 0706  0908 0b0a 0d0c 0f0e  1110 1312 0014       ·····················   

)"},
        {"WBE", Seq(0, 39), u"/W /BE /M:21",
         R"(00000000  0001 0203 0405 0607  0809 0a0b 0c0d 0e0f  1011 1213 1400       ·····················   

)"},
        {"D", Seq(0x70, 0x97), u"/D",
         R"(00000000  73727170 77767574  7b7a7978 7f7e7d7c  83828180 87868584  pqrstuvwxyz{|}~·        
00000018  8b8a8988 8f8e8d8c  93929190 97969594                                             

)"},
        {"QBE", Seq(0x70, 0x97), u"/Q /BE",
         R"(00000000  7071727374757677  78797a7b7c7d7e7f  8081828384858687  pqrstuvwxyz{|}~·        
00000018  88898a8b8c8d8e8f  9091929394959697                                            

)"},
        {"3", Seq(0, 39), u"/3",
         R"(00000000  020100 050403 080706  0b0a09 0e0d0c 11100f  ··················
00000012  141312 171615 1a1918  1d1c1b 201f1e 232221  ·············· !"#
00000024  262524 000027                               $%&'              

)"},
        {"5", Seq(0, 39), u"/5",
         R"(00000000  0403020100 0908070605  0e0d0c0b0a 131211100f  ····················
00000014  1817161514 1d1c1b1a19  2221201f1e 2726252423  ············ !"#$%&'

)"},
        {"7BE", Seq(0, 39), u"/7 /BE",
         R"(00000000  00010203040506  0708090a0b0c0d  0e0f1011121314  ·····················
00000015  15161718191a1b  1c1d1e1f202122  23242526270000  ··········· !"#$%&'  

)"},
        {"FO", Seq(0, 255), u"/F:O /C:0x78 /M:16",
         R"(00000078  170 171 172 173 174 175 176 177  200 201 202 203 204 205 206 207  xyz{|}~·        

)"},
        {"FD", Seq(0, 255), u"/F:D /C:0x78 /M:16",
         R"(00000078  120 121 122 123 124 125 126 127  128 129 130 131 132 133 134 135  xyz{|}~·        

)"},
        {"FS", Seq(0, 255), u"/F:S /C:0x78 /M:16",
         R"(00000078   120  121  122  123  124  125  126  127  xyz{|}~·
00000080  -128 -127 -126 -125 -124 -123 -122 -121          

)"},
        {"FSD", Seq(0, 255), u"/F:S /D /C:0xF0",
         R"(000000f0   -202182160  -134810124    -67438088      -66052                  

)"},
        {"FSQ", std::string("\0\0\0\0\0\0\0\x80\xff\xff\xff\xff\xff\xff\xff\xff", 16) + Seq(0, 15),
         u"/F:S /Q",
         R"(00000000   -9223372036854775808                     -1  ·······         
00000010     506097522914230528    1084818905618843912  ················

)"},
        {"FOW", Seq(0, 255), u"/F:8 /W /C:0xF0",
         R"(000000f0  170760 171762 172764 173766  174770 175772 176774 177776                  

)"},
        {"UC", Seq(0, 255), u"/UC /C:0xa00 /C:0xF0",
         R"(000000F0  F0 F1 F2 F3 F4 F5 F6 F7  F8 F9 FA FB FC FD FE FF                  

)"},
        {"G4", Seq(0, 39), u"/G:4",
         R"(0000  00 01 02 03 04 05 06 07  08 09 0a 0b 0c 0d 0e 0f  ················
0010  10 11 12 13 14 15 16 17  18 19 1a 1b 1c 1d 1e 1f  ················
0020  20 21 22 23 24 25 26 27                            !"#$%&'        

)"},
        {"G16", Seq(0, 39), u"/G:16 /M:16",
         R"(0000000000000000  00 01 02 03 04 05 06 07  08 09 0a 0b 0c 0d 0e 0f  ················

)"},
        {"K8", Seq(0, 39), u"/K:8 /M:20",
         R"(00000000  00 01 02 03 04 05 06 07  ········
00000008  08 09 0a 0b 0c 0d 0e 0f  ········
00000010  10 11 12 13              ····    

)"},
        {"K24", Seq(0, 39), u"/K:24",
         R"(00000000  00 01 02 03 04 05 06 07  08 09 0a 0b 0c 0d 0e 0f  10 11 12 13 14 15 16 17  ························
00000018  18 19 1a 1b 1c 1d 1e 1f  20 21 22 23 24 25 26 27                           ········ !"#$%&'        

)"},
        {"M20", Seq(0, 39), u"/M:20",
         R"(00000000  00 01 02 03 04 05 06 07  08 09 0a 0b 0c 0d 0e 0f  ················
00000010  10 11 12 13                                       ····            

)"},
        {"ML2", Seq(0, 39), u"/ML:2",
         R"(00000000  00 01 02 03 04 05 06 07  08 09 0a 0b 0c 0d 0e 0f  ················
00000010  10 11 12 13 14 15 16 17  18 19 1a 1b 1c 1d 1e 1f  ················

)"},
        {"CE", Seq(0, 39), u"/C:5 /E:30",
         R"(00000005  05 06 07 08 09 0a 0b 0c  0d 0e 0f 10 11 12 13 14  ················
00000015  15 16 17 18 19 1a 1b 1c  1d                       ·········       

)"},
        {"M1", Seq(0x41, 0x80), u"/M:1",
         R"(00000000  41                                                A               

)"},
        {"utf8", kUtf8Text, u"",
         R"(00000000  54 6f 74 61 6c 3a 20 31  32 33 34 2e 35 36 20 e2- Total: 1234.56 €
00000010  82-ac 20 63 61 66 c3-a9  20 f0-9f-98-80 20 6e 61     café  😀   na
00000020  c3-af 76 65 20 74 65 78  74 20 e2-82-ac c3        ï ve text €     

)"},
        {"utf8N8", kUtf8Text, u"/N:8",
         R"(00000000  54 6f 74 61 6c 3a 20 31  32 33 34 2e 35 36 20 e2  Total: 1234.56 €
00000010  82 ac 20 63 61 66 c3 a9  20 f0 9f 98 80 20 6e 61     café  😀   na
00000020  c3 af 76 65 20 74 65 78  74 20 e2 82 ac c3        ï ve text €     

)"},
        {"utf8U", kUtf8Text, u"/U",
         R"(00000000  54 6f 74 61 6c 3a 20 31  32 33 34 2e 35 36 20 e2  Total: 1234.56 €
00000010  82 ac 20 63 61 66 c3 a9  20 f0 9f 98 80 20 6e 61     café  😀   na
00000020  c3 af 76 65 20 74 65 78  74 20 e2 82 ac c3        ï ve text €     
0000002e
)"},
        {"utf8bom", "\xef\xbb\xbfTab\there, \xf4\x8f\xbf\xbf max, \xf5\x80\x80\x80 over\x7f\x00.",
         u"/X",
         R"(00000000  ef-bb-bf 54 61 62 09 68  65 72 65 2c 20 f4-8f-bf-    Tab␉here, 􏿿 
00000010  bf 20 6d 61 78 2c 20 f5- 80-80-80 20 6f 76 65 72    max, ␀    over
00000020  7f                                                ␡               

)"},
        {"utf8stray", "\x80\x80Stray start, then text with \xc3\xa9 in it.", u"",
         R"(00000000  80 80 53 74 72 61 79 20  73 74 61 72 74 2c 20 74    Stray start, t
00000010  68 65 6e 20 74 65 78 74  20 77 69 74 68 20 c3-a9  hen text with é 
00000020  20 69 6e 20 69 74 2e                               in it.         

)"},
        {"utf16bom", Utf16(u"\ufeffA tab\there and \U0001F600 pair, then some more text.", false),
         u"",
         R"(00000000  ff fe 41 00 20 00 74 00  61 00 62 00 09 00 68 00    A   t a b · h 
00000010  65 00 72 00 65 00 20 00  61 00 6e 00 64 00 20 00  e r e   a n d   
00000020  3d d8 00 de 20 00 70 00  61 00 69 00 72 00 2c 00  😀    p a i r , 
00000030  20 00 74 00 68 00 65 00  6e 00 20 00 73 00 6f 00    t h e n   s o 
00000040  6d 00 65 00 20 00 6d 00  6f 00 72 00 65 00 20 00  m e   m o r e   
00000050  74 00 65 00 78 00 74 00  2e 00                    t e x t .       

)"},
        {"beyond", Seq(0, 39), u"/C:100 /H /U",
         R"(
Buffer {A} :

00000000
)"},
        {"beyondI", Seq(0, 39), u"/C:100 /I",
         R"(
Displayed 0 bytes (0x0000 bytes) from {A}.

)"},
        {"UI", std::string(64, '\0'), u"/U /I",
         R"(00000000  00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00  ................
*
00000040
)"},
        {"INL", Seq(0, 39), u"/I /N:L /M:8",
         R"(00000000  00 01 02 03 04 05 06 07                           ········        

Displayed 8 bytes (0x0008 bytes) from {A}.
)"},
        {"utf16le", Utf16(u"Hello world, this is \u00e9t\u00e9 text in UTF-16.", false), u"",
         R"(00000000  48 00 65 00 6c 00 6c 00  6f 00 20 00 77 00 6f 00  H e l l o   w o 
00000010  72 00 6c 00 64 00 2c 00  20 00 74 00 68 00 69 00  r l d ,   t h i 
00000020  73 00 20 00 69 00 73 00  20 00 e9 00 74 00 e9 00  s   i s   é t é 
00000030  20 00 74 00 65 00 78 00  74 00 20 00 69 00 6e 00    t e x t   i n 
00000040  20 00 55 00 54 00 46 00  2d 00 31 00 36 00 2e 00    U T F - 1 6 . 

)"},
        {"utf16be", Utf16(u"Hello world, this is \u00e9t\u00e9 text in UTF-16.", true), u"",
         R"(00000000  00 48 00 65 00 6c 00 6c  00 6f 00 20 00 77 00 6f  H e l l o   w o 
00000010  00 72 00 6c 00 64 00 2c  00 20 00 74 00 68 00 69  r l d ,   t h i 
00000020  00 73 00 20 00 69 00 73  00 20 00 e9 00 74 00 e9  s   i s   é t é 
00000030  00 20 00 74 00 65 00 78  00 74 00 20 00 69 00 6e    t e x t   i n 
00000040  00 20 00 55 00 54 00 46  00 2d 00 31 00 36 00 2e    U T F - 1 6 . 

)"},
        {"cp437", Seq(0, 255), u"/CP:437 /C:0x80 /M:32",
         R"(00000080  80 81 82 83 84 85 86 87  88 89 8a 8b 8c 8d 8e 8f  ÇüéâäàåçêëèïîìÄÅ
00000090  90 91 92 93 94 95 96 97  98 99 9a 9b 9c 9d 9e 9f  ÉæÆôöòûùÿÖÜ¢£¥₧ƒ

)"},
        {"X", Seq(0, 39), u"/X",
         R"(00000000  00 01 02 03 04 05 06 07  08 09 0a 0b 0c 0d 0e 0f  ␀␁␂␃␄␅␆␇␈␉␊␋␌␍␎␏
00000010  10 11 12 13 14 15 16 17  18 19 1a 1b 1c 1d 1e 1f  ␐␑␒␓␔␕␖␗␘␙␚␛␜␝␞␟
00000020  20 21 22 23 24 25 26 27                            !"#$%&'        

)"},
        {"Z", Seq(0, 39), u"/Z /M:16",
         R"(00000000  00 01 02 03 04 05 06 07  08 09 0a 0b 0c 0d 0e 0f                  

)"},
        {"Zdash", Seq(0, 39), u"/Z:- /M:16",
         R"(00000000  00 01 02 03 04 05 06 07  08 09 0a 0b 0c 0d 0e 0f  ----------------

)"},
        {"settings", Seq(0, 39), u"/$ /M:4",
         R"(   *  Flags        = 0
   *  StartAddress = 0
   *  EndAddress   = 0
   *  MaxBytes     = 4
   *  HexWidth     = 0
   *  AddressWidth = 0
   *  WordLen      = 1
   *  GroupWidth   = 8
   *  Format       = 0
   *  ConsoleWidth = 100
00000000  00 01 02 03                                       ····            

)"},
        {"ML2M20", Seq(0, 39), u"/ML:2 /M:20",
         R"(00000000  00 01 02 03 04 05 06 07  08 09 0a 0b 0c 0d 0e 0f  ················
00000010  10 11 12 13                                       ····            

)"},
        {"W5", "\x01\x02\x03\x04\x05", u"/W /N:L",
         R"(00000000  0201 0403 0005                                                 ·····                   
)"},
        {"W5BE", "\x01\x02\x03\x04\x05", u"/W /BE /N:L",
         R"(00000000  0102 0304 0500                                                 ·····                   
)"},
        {"W5E", "\x01\x02\x03\x04\x05", u"/W /E:3 /N:L",
         R"(00000000  0201 0003                                                      ···                     
)"},
        {"W5EBE", "\x01\x02\x03\x04\x05", u"/W /BE /E:3 /N:L",
         R"(00000000  0102 0300                                                      ···                     
)"},
        {"D6FD", "\x01\x02\x03\x04\x05\x06", u"/D /BE /F:D /N:L",
         R"(00000000    16909060   84279296                         ······          
)"},
        {"D5FS", "\x01\x02\x03\x04\xff", u"/D /F:S /N:L",
         R"(00000000     67305985         255                           ····            
)"},
        {"3FO", "\x01\x02\x03\x04", u"/3 /F:O /N:L",
         R"(00000000  00601001 00000004                                       ····              
)"},
        {"FDW", std::string("\xff\xff\x01\x00", 4), u"/F:10 /W /N:L",
         R"(00000000  65535     1                                         ··            
)"},
        {"FOW1", std::string("\xff\xff\x01\x00", 4), u"/F:8 /W /N:L",
         R"(00000000  177777 000001                                               ··            
)"},
        {"UCa0f", std::string(0xa10, '\xff'), u"/UC /C:0xa0f /N:L",
         R"(00000A0F  FF                                                                
)"},
        {"J", Seq(0x41, 0x60), u"/J /N:L",
         R"(00000000  41 42 43 44 45 46 47 48  49 4a 4b 4c 4d 4e 4f 50  ABCDEFGHIJKLMNOP
00000010  51 52 53 54 55 56 57 58  59 5a 5b 5c 5d 5e 5f 60  QRSTUVWXYZ[\]^_`
)"},
        {"HHkB", std::string(1230, 'a') + "\xc3\xa9\xc3\xa9", u"/HH /M:16",
         R"(
Buffer {A} :
  •  1,234 bytes  (1.2 kB)    UTF-8

00000000  61 61 61 61 61 61 61 61  61 61 61 61 61 61 61 61  aaaaaaaaaaaaaaaa

)"},
        {"HHcp", Seq(0, 255), u"/HH /CP:437 /M:8",
         R"(
Buffer {A} :
  •  256 bytes    Code Page 437

00000000  00 01 02 03 04 05 06 07                           ········        

)"},
    };
    for (const Listing& listing : listings) {
        SCOPED_TRACE(listing.name);
        const std::u16string handle = Buffer(listing.bytes);
        const dumptest::Outcome outcome = Dump(listing.options + u" " + handle);
        EXPECT_EQ(outcome.result, 0);
        EXPECT_EQ(outcome.err, "");
        std::string address = text::ToUtf8(handle);
        address.erase(0, address.find_first_not_of('0'));
        EXPECT_EQ(outcome.out, WithCrLf(Replace(listing.expected, "{A}", address)));
    }
}

// On a console the listing looks at the keys after every line, and each line goes to the host
// by itself. Without that (/N:H), no colour and no page, lines go to the host in batches: the
// same listing in far fewer writes; and Ctrl-C stops it after a whole line, with every line
// before it written, then the mark, and the result 3.
TEST_F(DumpListing, LinesWithNothingBetweenThemReachTheHostTogether) {
    fake::SetIsConsole(sys::StdStream::Output, true);
    std::string bytes;
    for (int i = 0; i < 4096; ++i) bytes += static_cast<char>(i * 7);
    const std::u16string handle = Buffer(bytes);
    const dumptest::Outcome polled = Dump(u"/N:C " + handle);
    const int polledWrites = fake::StdOutWrites();
    const dumptest::Outcome batched = Dump(u"/N:CH " + handle);
    EXPECT_EQ(batched.out, polled.out);
    EXPECT_GE(polledWrites, 256);
    EXPECT_LE(fake::StdOutWrites() * 50, polledWrites);

    fake::SetIsConsole(sys::StdStream::Output, false); // the mark then goes to the console alone
    fake::RaiseControlEventAtWrite(sys::kCtrlCEvent, 1);
    const dumptest::Outcome stopped = Dump(u"/N:CH " + handle);
    EXPECT_EQ(stopped.result, 3);
    ASSERT_GT(stopped.out.size(), 0u);
    EXPECT_LT(stopped.out.size(), batched.out.size());
    EXPECT_EQ(batched.out.substr(0, stopped.out.size()), stopped.out);
    EXPECT_EQ(stopped.out.substr(stopped.out.size() - 2), "\r\n");
    const std::string transcript = fake::ConsoleTranscript();
    EXPECT_GT(transcript.find("\r ^C \n"), transcript.rfind("\r\n"));
}

} // namespace
