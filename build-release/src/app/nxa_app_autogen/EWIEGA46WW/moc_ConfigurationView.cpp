/****************************************************************************
** Meta object code from reading C++ file 'ConfigurationView.h'
**
** Created by: The Qt Meta Object Compiler version 68 (Qt 6.4.2)
**
** WARNING! All changes made in this file will be lost!
*****************************************************************************/

#include <memory>
#include "../../../../../src/app/ConfigurationView.h"
#include <QtCore/qmetatype.h>
#if !defined(Q_MOC_OUTPUT_REVISION)
#error "The header file 'ConfigurationView.h' doesn't include <QObject>."
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
struct qt_meta_stringdata_nxa__app__ConfigurationView_t {
    uint offsetsAndSizes[20];
    char stringdata0[28];
    char stringdata1[16];
    char stringdata2[1];
    char stringdata3[11];
    char stringdata4[5];
    char stringdata5[13];
    char stringdata6[13];
    char stringdata7[15];
    char stringdata8[13];
    char stringdata9[6];
};
#define QT_MOC_LITERAL(ofs, len) \
    uint(sizeof(qt_meta_stringdata_nxa__app__ConfigurationView_t::offsetsAndSizes) + ofs), len 
Q_CONSTINIT static const qt_meta_stringdata_nxa__app__ConfigurationView_t qt_meta_stringdata_nxa__app__ConfigurationView = {
    {
        QT_MOC_LITERAL(0, 27),  // "nxa::app::ConfigurationView"
        QT_MOC_LITERAL(28, 15),  // "reloadFromModel"
        QT_MOC_LITERAL(44, 0),  // ""
        QT_MOC_LITERAL(45, 10),  // "setCaption"
        QT_MOC_LITERAL(56, 4),  // "text"
        QT_MOC_LITERAL(61, 12),  // "importConfig"
        QT_MOC_LITERAL(74, 12),  // "exportConfig"
        QT_MOC_LITERAL(87, 14),  // "downloadConfig"
        QT_MOC_LITERAL(102, 12),  // "uploadConfig"
        QT_MOC_LITERAL(115, 5)   // "print"
    },
    "nxa::app::ConfigurationView",
    "reloadFromModel",
    "",
    "setCaption",
    "text",
    "importConfig",
    "exportConfig",
    "downloadConfig",
    "uploadConfig",
    "print"
};
#undef QT_MOC_LITERAL
} // unnamed namespace

Q_CONSTINIT static const uint qt_meta_data_nxa__app__ConfigurationView[] = {

 // content:
      10,       // revision
       0,       // classname
       0,    0, // classinfo
       7,   14, // methods
       0,    0, // properties
       0,    0, // enums/sets
       0,    0, // constructors
       0,       // flags
       0,       // signalCount

 // slots: name, argc, parameters, tag, flags, initial metatype offsets
       1,    0,   56,    2, 0x0a,    1 /* Public */,
       3,    1,   57,    2, 0x0a,    2 /* Public */,
       5,    0,   60,    2, 0x0a,    4 /* Public */,
       6,    0,   61,    2, 0x0a,    5 /* Public */,
       7,    0,   62,    2, 0x0a,    6 /* Public */,
       8,    0,   63,    2, 0x0a,    7 /* Public */,
       9,    0,   64,    2, 0x0a,    8 /* Public */,

 // slots: parameters
    QMetaType::Void,
    QMetaType::Void, QMetaType::QString,    4,
    QMetaType::Void,
    QMetaType::Void,
    QMetaType::Void,
    QMetaType::Void,
    QMetaType::Void,

       0        // eod
};

Q_CONSTINIT const QMetaObject nxa::app::ConfigurationView::staticMetaObject = { {
    QMetaObject::SuperData::link<QWidget::staticMetaObject>(),
    qt_meta_stringdata_nxa__app__ConfigurationView.offsetsAndSizes,
    qt_meta_data_nxa__app__ConfigurationView,
    qt_static_metacall,
    nullptr,
    qt_incomplete_metaTypeArray<qt_meta_stringdata_nxa__app__ConfigurationView_t,
        // Q_OBJECT / Q_GADGET
        QtPrivate::TypeAndForceComplete<ConfigurationView, std::true_type>,
        // method 'reloadFromModel'
        QtPrivate::TypeAndForceComplete<void, std::false_type>,
        // method 'setCaption'
        QtPrivate::TypeAndForceComplete<void, std::false_type>,
        QtPrivate::TypeAndForceComplete<const QString &, std::false_type>,
        // method 'importConfig'
        QtPrivate::TypeAndForceComplete<void, std::false_type>,
        // method 'exportConfig'
        QtPrivate::TypeAndForceComplete<void, std::false_type>,
        // method 'downloadConfig'
        QtPrivate::TypeAndForceComplete<void, std::false_type>,
        // method 'uploadConfig'
        QtPrivate::TypeAndForceComplete<void, std::false_type>,
        // method 'print'
        QtPrivate::TypeAndForceComplete<void, std::false_type>
    >,
    nullptr
} };

void nxa::app::ConfigurationView::qt_static_metacall(QObject *_o, QMetaObject::Call _c, int _id, void **_a)
{
    if (_c == QMetaObject::InvokeMetaMethod) {
        auto *_t = static_cast<ConfigurationView *>(_o);
        (void)_t;
        switch (_id) {
        case 0: _t->reloadFromModel(); break;
        case 1: _t->setCaption((*reinterpret_cast< std::add_pointer_t<QString>>(_a[1]))); break;
        case 2: _t->importConfig(); break;
        case 3: _t->exportConfig(); break;
        case 4: _t->downloadConfig(); break;
        case 5: _t->uploadConfig(); break;
        case 6: _t->print(); break;
        default: ;
        }
    }
}

const QMetaObject *nxa::app::ConfigurationView::metaObject() const
{
    return QObject::d_ptr->metaObject ? QObject::d_ptr->dynamicMetaObject() : &staticMetaObject;
}

void *nxa::app::ConfigurationView::qt_metacast(const char *_clname)
{
    if (!_clname) return nullptr;
    if (!strcmp(_clname, qt_meta_stringdata_nxa__app__ConfigurationView.stringdata0))
        return static_cast<void*>(this);
    return QWidget::qt_metacast(_clname);
}

int nxa::app::ConfigurationView::qt_metacall(QMetaObject::Call _c, int _id, void **_a)
{
    _id = QWidget::qt_metacall(_c, _id, _a);
    if (_id < 0)
        return _id;
    if (_c == QMetaObject::InvokeMetaMethod) {
        if (_id < 7)
            qt_static_metacall(this, _c, _id, _a);
        _id -= 7;
    } else if (_c == QMetaObject::RegisterMethodArgumentMetaType) {
        if (_id < 7)
            *reinterpret_cast<QMetaType *>(_a[0]) = QMetaType();
        _id -= 7;
    }
    return _id;
}
QT_WARNING_POP
QT_END_MOC_NAMESPACE
