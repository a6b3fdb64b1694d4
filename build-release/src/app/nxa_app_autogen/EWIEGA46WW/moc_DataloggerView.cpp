/****************************************************************************
** Meta object code from reading C++ file 'DataloggerView.h'
**
** Created by: The Qt Meta Object Compiler version 68 (Qt 6.4.2)
**
** WARNING! All changes made in this file will be lost!
*****************************************************************************/

#include <memory>
#include "../../../../../src/app/DataloggerView.h"
#include <QtCore/qmetatype.h>
#if !defined(Q_MOC_OUTPUT_REVISION)
#error "The header file 'DataloggerView.h' doesn't include <QObject>."
#elif Q_MOC_OUTPUT_REVISION != 68
#error "This file was generated using the moc from 6.4.2. It"
#error "cannot be used with the include files from this version of Qt."
#error "(The moc has changed too much.)"
#endif

#ifndef Q_CONSTINIT
#define Q_CONSTINIT
#endif

QT_BEGIN_MOC_NAMESPACE
QT_WARNING_PUSH
QT_WARNING_DISABLE_DEPRECATED
namespace {
struct qt_meta_stringdata_nxa__app__DataloggerView_t {
    uint offsetsAndSizes[24];
    char stringdata0[25];
    char stringdata1[9];
    char stringdata2[1];
    char stringdata3[9];
    char stringdata4[10];
    char stringdata5[16];
    char stringdata6[6];
    char stringdata7[5];
    char stringdata8[16];
    char stringdata9[7];
    char stringdata10[13];
    char stringdata11[7];
};
#define QT_MOC_LITERAL(ofs, len) \
    uint(sizeof(qt_meta_stringdata_nxa__app__DataloggerView_t::offsetsAndSizes) + ofs), len 
Q_CONSTINIT static const qt_meta_stringdata_nxa__app__DataloggerView_t qt_meta_stringdata_nxa__app__DataloggerView = {
    {
        QT_MOC_LITERAL(0, 24),  // "nxa::app::DataloggerView"
        QT_MOC_LITERAL(25, 8),  // "download"
        QT_MOC_LITERAL(34, 0),  // ""
        QT_MOC_LITERAL(35, 8),  // "openFile"
        QT_MOC_LITERAL(44, 9),  // "deleteAll"
        QT_MOC_LITERAL(54, 15),  // "deleteSelection"
        QT_MOC_LITERAL(70, 5),  // "print"
        QT_MOC_LITERAL(76, 4),  // "save"
        QT_MOC_LITERAL(81, 15),  // "setValuesHidden"
        QT_MOC_LITERAL(97, 6),  // "hidden"
        QT_MOC_LITERAL(104, 12),  // "sortByColumn"
        QT_MOC_LITERAL(117, 6)   // "column"
    },
    "nxa::app::DataloggerView",
    "download",
    "",
    "openFile",
    "deleteAll",
    "deleteSelection",
    "print",
    "save",
    "setValuesHidden",
    "hidden",
    "sortByColumn",
    "column"
};
#undef QT_MOC_LITERAL
} // unnamed namespace

Q_CONSTINIT static const uint qt_meta_data_nxa__app__DataloggerView[] = {

 // content:
      10,       // revision
       0,       // classname
       0,    0, // classinfo
       8,   14, // methods
       0,    0, // properties
       0,    0, // enums/sets
       0,    0, // constructors
       0,       // flags
       0,       // signalCount

 // slots: name, argc, parameters, tag, flags, initial metatype offsets
       1,    0,   62,    2, 0x0a,    1 /* Public */,
       3,    0,   63,    2, 0x0a,    2 /* Public */,
       4,    0,   64,    2, 0x0a,    3 /* Public */,
       5,    0,   65,    2, 0x0a,    4 /* Public */,
       6,    0,   66,    2, 0x0a,    5 /* Public */,
       7,    0,   67,    2, 0x0a,    6 /* Public */,
       8,    1,   68,    2, 0x0a,    7 /* Public */,
      10,    1,   71,    2, 0x0a,    9 /* Public */,

 // slots: parameters
    QMetaType::Void,
    QMetaType::Void,
    QMetaType::Void,
    QMetaType::Void,
    QMetaType::Void,
    QMetaType::Void,
    QMetaType::Void, QMetaType::Bool,    9,
    QMetaType::Void, QMetaType::Int,   11,

       0        // eod
};

Q_CONSTINIT const QMetaObject nxa::app::DataloggerView::staticMetaObject = { {
    QMetaObject::SuperData::link<QWidget::staticMetaObject>(),
    qt_meta_stringdata_nxa__app__DataloggerView.offsetsAndSizes,
    qt_meta_data_nxa__app__DataloggerView,
    qt_static_metacall,
    nullptr,
    qt_incomplete_metaTypeArray<qt_meta_stringdata_nxa__app__DataloggerView_t,
        // Q_OBJECT / Q_GADGET
        QtPrivate::TypeAndForceComplete<DataloggerView, std::true_type>,
        // method 'download'
        QtPrivate::TypeAndForceComplete<void, std::false_type>,
        // method 'openFile'
        QtPrivate::TypeAndForceComplete<void, std::false_type>,
        // method 'deleteAll'
        QtPrivate::TypeAndForceComplete<void, std::false_type>,
        // method 'deleteSelection'
        QtPrivate::TypeAndForceComplete<void, std::false_type>,
        // method 'print'
        QtPrivate::TypeAndForceComplete<void, std::false_type>,
        // method 'save'
        QtPrivate::TypeAndForceComplete<void, std::false_type>,
        // method 'setValuesHidden'
        QtPrivate::TypeAndForceComplete<void, std::false_type>,
        QtPrivate::TypeAndForceComplete<bool, std::false_type>,
        // method 'sortByColumn'
        QtPrivate::TypeAndForceComplete<void, std::false_type>,
        QtPrivate::TypeAndForceComplete<int, std::false_type>
    >,
    nullptr
} };

void nxa::app::DataloggerView::qt_static_metacall(QObject *_o, QMetaObject::Call _c, int _id, void **_a)
{
    if (_c == QMetaObject::InvokeMetaMethod) {
        auto *_t = static_cast<DataloggerView *>(_o);
        (void)_t;
        switch (_id) {
        case 0: _t->download(); break;
        case 1: _t->openFile(); break;
        case 2: _t->deleteAll(); break;
        case 3: _t->deleteSelection(); break;
        case 4: _t->print(); break;
        case 5: _t->save(); break;
        case 6: _t->setValuesHidden((*reinterpret_cast< std::add_pointer_t<bool>>(_a[1]))); break;
        case 7: _t->sortByColumn((*reinterpret_cast< std::add_pointer_t<int>>(_a[1]))); break;
        default: ;
        }
    }
}

const QMetaObject *nxa::app::DataloggerView::metaObject() const
{
    return QObject::d_ptr->metaObject ? QObject::d_ptr->dynamicMetaObject() : &staticMetaObject;
}

void *nxa::app::DataloggerView::qt_metacast(const char *_clname)
{
    if (!_clname) return nullptr;
    if (!strcmp(_clname, qt_meta_stringdata_nxa__app__DataloggerView.stringdata0))
        return static_cast<void*>(this);
    return QWidget::qt_metacast(_clname);
}

int nxa::app::DataloggerView::qt_metacall(QMetaObject::Call _c, int _id, void **_a)
{
    _id = QWidget::qt_metacall(_c, _id, _a);
    if (_id < 0)
        return _id;
    if (_c == QMetaObject::InvokeMetaMethod) {
        if (_id < 8)
            qt_static_metacall(this, _c, _id, _a);
        _id -= 8;
    } else if (_c == QMetaObject::RegisterMethodArgumentMetaType) {
        if (_id < 8)
            *reinterpret_cast<QMetaType *>(_a[0]) = QMetaType();
        _id -= 8;
    }
    return _id;
}
QT_WARNING_POP
QT_END_MOC_NAMESPACE
