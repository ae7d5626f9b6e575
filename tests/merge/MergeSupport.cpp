#include "tests/merge/MergeSupport.h"

#include "model/CategoryNode.h"
#include "tests/support/RandomChanges.h"

namespace tamblero::test {

void DropIds(CVerdalonDoc& doc) {
    const auto drop = [](CCategoryNode& node) {
        node.m_nId = kNoId;
        node.m_nameStamp = node.m_placeStamp = CStamp{};
    };
    drop(*doc.GetRoot());
    ForEachNode(*doc.GetRoot(), [&](CCategoryNode& node) {
        drop(node);
        if (CExpenseArticle* article = node.AsArticle()) {
            article->Days().ForEachListForNotes([](CEntryList& list) {
                for (int i = 0; i < list.GetCount(); ++i) {
                    list.SetId(i, kNoId);
                }
            });
        }
    });
    for (int i = 0; i < doc.Accounts().GetCount(); ++i) {
        CAccount& a = *doc.Accounts().GetAt(i);
        a.m_nId = kNoId;
        a.m_created = a.m_nameStamp = a.m_openingStamp = CStamp{};
    }
    for (int i = 0; i < doc.Movements().GetCount(); ++i) {
        doc.Movements().GetAt(i).m_nId = kNoId;
        doc.Movements().GetAt(i).m_created = CStamp{};
    }
    doc.Ids().ForgetRecords();
    doc.CompleteIds();
}

void RandomChange(CVerdalonDoc& doc, std::mt19937& random) {
    static const std::u16string kNames[] = {u"Еда",   u"Кафе",   u"Дом",
                                            u"Карта", u"Отпуск", u"Прочее"};
    RandomStyle style;
    style.names = kNames;
    style.fewerDeletions = true;
    style.undoRedo = true;
    test::RandomChange(doc, random, style);
}

} // namespace tamblero::test
